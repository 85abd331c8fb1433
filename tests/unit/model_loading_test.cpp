// The model's pure loading steps and the shipped model's generator, all
// without a window.
#include "scene/model_loading.h"
#include "support/process.h"
#include "support/viewer.h"

#include <assimp/mesh.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using namespace orvane::scene;
namespace fs = std::filesystem;

TEST(ModelDirectory, IsTheTextBeforeTheLastSlash) {
    // Texture paths are the directory, "/" and the name the file gives.
    for (const auto& [path, prefix] :
         {std::pair{"Models/Untitled/models/Untitled.dae", "Models/Untitled/models/"},
          {"model.dae", "./"},
          {"/model.dae", "//"}}) {
        EXPECT_EQ(modelDirectory(path) + "/", prefix) << path;
    }
}

TEST(CollectTriangleIndices, KeepsTrianglesInOrderAndSkipsPointsLinesAndStrayIndices) {
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

TEST(ModelGenerator, WritesTheShippedFilesByteForByte) {
    // Tools are built beside the viewer, in tools/.
    const fs::path generator = fs::path(ORVANE_VIEWER_PATH).parent_path() / "tools/make_model";
    ASSERT_TRUE(fs::exists(generator)) << generator;
    const orvane::test::TempDir folder;
    orvane::test::ProcessOptions options;
    options.argv = {generator.string(), (folder.path() / "Untitled.dae").string()};
    const auto result = orvane::test::runProcess(options, 120.0);
    ASSERT_TRUE(result.finished);
    ASSERT_EQ(result.exitStatus, 0) << result.output;
    const fs::path shipped = orvane::test::sourcePath("Models/Untitled/models");
    for (const char* file : {"Untitled.dae", "paint.png", "textures/hull.png"}) {
        EXPECT_EQ(orvane::test::readTextFile(folder.path() / file),
                  orvane::test::readTextFile(shipped / file))
            << file << " differs: run make_model from the source folder again";
    }
}

} // namespace
