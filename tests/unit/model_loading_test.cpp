// The model's pure loading steps, without a window.
#include "scene/model_loading.h"

#include <assimp/mesh.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

using namespace orvane::scene;

TEST(ModelLoading, TheDirectoryIsTheTextBeforeTheLastSlash) {
    EXPECT_EQ(modelDirectory("Models/Untitled/models/Untitled.dae"), "Models/Untitled/models");
    EXPECT_EQ(modelDirectory("model.dae"), ".");
    EXPECT_EQ(modelDirectory("/model.dae"), "/");
    EXPECT_EQ(modelDirectory("a\\b.dae"), ".");
}

bool readable(const std::string& document) {
    std::istringstream stream(document);
    return indexListsAreReadable(stream);
}

// One stray character in an index list would make Assimp eat all memory.
TEST(ModelLoading, AColladaIndexListWithAnythingButIntegersIsRefused) {
    const std::string head = "<?xml?><COLLADA><param>x.5</param><p/><p count=\"1\">";
    EXPECT_TRUE(readable(head + "0 -1 +2\n3</p><p>4</p></COLLADA>"));
    EXPECT_FALSE(readable(head + "0 1</p><p>1.5</p></COLLADA>"));
    EXPECT_FALSE(readable(head + "2e3</p></COLLADA>"));
    EXPECT_TRUE(readable("f 1.5 2 <p>x</p>")) << "not Collada";
    // Across the pieces it is read in.
    EXPECT_FALSE(readable(head + std::string(70000, ' ') + "1.5</p></COLLADA>"));
}

// Nothing past the vertex buffer may ever be drawn.
TEST(ModelLoading, TrianglesKeepTheirOrderAndPointsLinesAndStrayIndicesAreLeftOut) {
    const std::vector<std::vector<unsigned int>> faces = {
        {0, 1, 2}, {3}, {1, 3}, {2, 3, 0}, {0, 1, 4} /* no vertex 4 */, {3, 2, 1}};
    aiMesh mesh; // its destructor frees the arrays
    mesh.mNumVertices = 4;
    mesh.mVertices = new aiVector3D[4];
    mesh.mNumFaces = static_cast<unsigned int>(faces.size());
    mesh.mFaces = new aiFace[faces.size()];
    for (std::size_t f = 0; f < faces.size(); ++f) {
        mesh.mFaces[f].mNumIndices = static_cast<unsigned int>(faces[f].size());
        mesh.mFaces[f].mIndices = new unsigned int[faces[f].size()];
        std::copy(faces[f].begin(), faces[f].end(), mesh.mFaces[f].mIndices);
    }
    std::vector<std::uint32_t> indices{9, 9};
    collectTriangleIndices(mesh, indices);
    EXPECT_EQ(indices, (std::vector<std::uint32_t>{0, 1, 2, 2, 3, 0, 3, 2, 1}));
}

} // namespace
