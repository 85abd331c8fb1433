// The model's loading steps that need no window: where its textures are
// looked up, and its decoding into plain data, as the decoder runs it.
#include "files/decode.h"
#include "scene/model_loading.h"
#include "support/collada.h"
#include "support/files.h"

#include <assimp/mesh.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

using namespace orvane::files;
using orvane::scene::modelDirectory;
using orvane::test::collada;
using orvane::test::edited;

TEST(ModelLoading, TheDirectoryIsTheTextBeforeTheLastSlash) {
    EXPECT_EQ(modelDirectory("Models/Untitled/models/Untitled.dae"), "Models/Untitled/models");
    EXPECT_EQ(modelDirectory("model.dae"), ".");
    EXPECT_EQ(modelDirectory("/model.dae"), "/");
    EXPECT_EQ(modelDirectory("a\\b.dae"), ".");
}

// The triangle as one polygon of the given sizes.
std::string polygon(const std::string& sizes) {
    return edited(collada("0 1 2"), {{"<triangles count=\"1\">", "<polylist count=\"1\">"},
                                     {"<p>", "<vcount>" + sizes + "</vcount><p>"},
                                     {"</triangles>", "</polylist>"}});
}

// What exporters write: each decodes to its one triangle, or the shipped model
// to its four meshes.
TEST(ModelLoading, EveryDocumentExportersWriteDecodes) {
    const std::pair<const char*, std::string> cases[] = {
        {"prose in an XHTML technique",
         edited(collada("0 1 2"), {{"</mesh>", "</mesh><extra><technique profile=\"XHTML\">"
                                               "<p>By hand.</p></technique></extra>"}})},
        {"a character reference in a list", collada("0&#32;1 2")},
        {"a comment holding > and <p>", collada("0 1 2<!-- a > b; <p>0.5</p> -->")},
        {"a CDATA section holding >",
         edited(collada("<![CDATA[0 1 2]]>"),
                {{"</mesh>", "</mesh><extra><![CDATA[a > b]]></extra>"}})},
        {"signs, blanks and a count the schema allows",
         edited(collada(" +0\n1\t-0 "), {{R"(count="9")", R"(count=" +9 ")"}})},
        {"an accessor with an offset and a wider stride",
         edited(collada("0 1 1"),
                {{R"(count="3" stride="3")", R"(count="2" stride="4" offset="1")"}})},
        {"a polygon", polygon("3")},
    };
    const orvane::test::TempDir folder;
    for (const auto& [name, document] : cases) {
        SCOPED_TRACE(name);
        const std::string path = (folder.path() / "model.dae").string();
        orvane::test::writeFile(path, document);
        const std::optional<ModelData> model = decodeModel(path);
        ASSERT_TRUE(model.has_value());
        ASSERT_EQ(model->meshes.size(), 1u);
        EXPECT_EQ(model->meshes[0].indices.size(), 3u);
    }
    const std::optional<ModelData> shipped =
        decodeModel(orvane::test::sourcePath("Models/Untitled/models/Untitled.dae").string());
    ASSERT_TRUE(shipped.has_value());
    EXPECT_EQ(shipped->meshes.size(), 4u);
}

// A mesh may lack normals, texture coordinates or even positions.
TEST(ModelLoading, WhatAMeshLacksComesOutZero) {
    aiMesh mesh; // its destructor frees the arrays
    std::vector<ModelVertex> vertices(5);
    mesh.mNumVertices = 2;
    collectVertices(mesh, vertices);
    EXPECT_TRUE(vertices.empty()) << "no positions, no vertices";

    mesh.mVertices = new aiVector3D[2]{{1, 2, 3}, {4, 5, 6}};
    collectVertices(mesh, vertices);
    ASSERT_EQ(vertices.size(), 2u);
    EXPECT_EQ(vertices[1].position, glm::vec3(4, 5, 6));
    EXPECT_EQ(vertices[1].uv, glm::vec2(0, 0));
    EXPECT_EQ(vertices[1].normal, glm::vec3(0, 0, 0));

    mesh.mNormals = new aiVector3D[2]{{0, 0, 1}, {0, 1, 0}};
    mesh.mTextureCoords[0] = new aiVector3D[2]{{0.25f, 0.5f, 9}, {0.75f, 1, 9}};
    mesh.mNumUVComponents[0] = 2;
    collectVertices(mesh, vertices);
    ASSERT_EQ(vertices.size(), 2u);
    EXPECT_EQ(vertices[1].uv, glm::vec2(0.75f, 1));
    EXPECT_EQ(vertices[1].normal, glm::vec3(0, 1, 0));
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
