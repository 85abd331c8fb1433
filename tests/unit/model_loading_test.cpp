// The model's pure loading steps, without a window.
#include "scene/model_loading.h"
#include "support/files.h"

#include <assimp/Importer.hpp>
#include <assimp/mesh.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

using namespace orvane::scene;

TEST(ModelLoading, TheDirectoryIsTheTextBeforeTheLastSlash) {
    EXPECT_EQ(modelDirectory("Models/Untitled/models/Untitled.dae"), "Models/Untitled/models");
    EXPECT_EQ(modelDirectory("model.dae"), ".");
    EXPECT_EQ(modelDirectory("/model.dae"), "/");
    EXPECT_EQ(modelDirectory("a\\b.dae"), ".");
}

// One triangle of the given index list; the first from, if any, made to.
std::string collada(const std::string& list, const std::string& from = "",
                    const std::string& to = "") {
    std::string document = R"(<?xml version="1.0"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
<library_geometries><geometry id="g"><mesh>
<source id="s"><float_array id="a" count="9">0 0 0 1 0 0 0 1 0</float_array>
<technique_common><accessor source="#a" count="3" stride="3"><param name="X" type="float"/>
<param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
<vertices id="v"><input semantic="POSITION" source="#s"/></vertices>
<triangles count="1"><input semantic="VERTEX" source="#v" offset="0"/><p>)" +
                           list + R"(</p></triangles>
</mesh></geometry></library_geometries>
<library_visual_scenes><visual_scene id="vs"><node id="n" name="a > b"><instance_geometry url="#g"/>
</node></visual_scene></library_visual_scenes><scene><instance_visual_scene url="#vs"/></scene>
</COLLADA>)";
    return from.empty() ? document : document.replace(document.find(from), from.size(), to);
}

// The same triangle as one polygon of the given sizes, or with another count.
std::string polygon(const std::string& sizes, const std::string& count = "1") {
    std::string document = collada("0 1 2", "<p>0 1 2</p></triangles>",
                                   "<vcount>" + sizes + "</vcount><p>0 1 2</p></polylist>");
    return document.replace(document.find("<triangles count=\"1\">"), 21,
                            "<polylist count=\"" + count + "\">");
}

// What exporters write and Assimp reads passes, and so does what is not Collada.
TEST(ModelLoading, EveryDocumentAssimpReadsWholePassesTheCheck) {
    const std::pair<const char*, std::string> cases[] = {
        {"the shipped model",
         orvane::test::readFile(orvane::test::sourcePath("Models/Untitled/models/Untitled.dae"))},
        {"prose in an XHTML technique",
         collada("0 1 2", "</mesh>",
                 "</mesh><extra><technique profile=\"XHTML\"><p>By hand.</p></technique></extra>")},
        {"a character reference in a list", collada("0&#32;1 2")},
        {"a comment holding > and <p>", collada("0 1 2<!-- a > b; <p>0.5</p> -->")},
        {"a CDATA section holding >",
         collada("<![CDATA[0 1 2]]>", "</mesh>", "</mesh><extra><![CDATA[a > b]]></extra>")},
        {"signs, blanks and a count the schema allows",
         collada(" +0\n1\t-0 ", R"(count="9")", R"(count=" +9 ")")},
        {"an accessor with an offset and a wider stride",
         collada("0 1 1", R"(count="3" stride="3")", R"(count="2" stride="4" offset="1")")},
        {"a polygon", polygon("3")},
        {"XML that is not Collada", "<scene><p>1.5</p><float_array count=\"nan\"/></scene>"},
        {"not XML at all", "v 0 0 0\nf 1.5 2 <p>x</p>\n"},
    };
    for (const auto& [name, document] : cases) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(colladaIsSafeToRead(document));
        if (document.find("<COLLADA") != std::string::npos) { // the document itself is sound
            Assimp::Importer importer;
            EXPECT_NE(importer.ReadFileFromMemory(document.data(), document.size(), 0x800B, "dae"),
                      nullptr)
                << importer.GetErrorString();
        }
    }
}

// Each made Assimp 5.2 eat memory, read outside its buffers or ask for gigabytes.
TEST(ModelLoading, AColladaDocumentThatAssimpWouldMisreadIsRefused) {
    const std::string array = R"(count="9")";
    const std::string accessor = R"(count="3")";
    const std::string stride = R"(stride="3")";
    const std::pair<const char*, std::string> cases[] = {
        {"a decimal point", collada("0 1.5 2")},
        {"an exponent", collada("0 1e2 2")},
        {"a letter", collada("0 1 2x")},
        {"a lone sign", collada("0 1 2 -")},
        {"a comment before the list", collada("<!--x-->0 1.5 2")},
        {"a CDATA section", collada("<![CDATA[0 1.5 2]]>")},
        {"a polygon's hole", collada("0 1 2</p></triangles><polygons count=\"1\"><ph><p>0 1 2</p>"
                                     "<h>0.5</h></ph></polygons><triangles><p>")},
        {"Collada inside another element", "<wrap>" + collada("0 1.5 2").substr(21) + "</wrap>"},
        {"a primitive count of billions", polygon("3", "4000000000")},
        {"a primitive count of nan", polygon("3", "nan")},
        {"a polygon size of billions", polygon("2147483648")},
        {"polygons larger than the list", polygon("3 3")},
        {"a polygon size that is no number", polygon("3 x")},
        {"an input offset of billions",
         collada("0 1 2", R"(offset="0")", R"(offset="2147483648")")},
        {"an array count of -0.0", collada("0 1 2", array, R"(count="-0.0")")},
        {"an array count of nan", collada("0 1 2", array, R"(count="nan")")},
        {"an array count of 0", collada("0 1 2", array, R"(count="0")")},
        {"an array count past its values", collada("0 1 2", array, R"(count="10")")},
        {"an array count of billions", collada("0 1 2", array, R"(count="99999999999")")},
        {"an array without a count", collada("0 1 2", array, "")},
        {"an absurd stride", collada("0 1 2", stride, R"(stride="99999999999")")},
        {"a stride narrower than the params", collada("0 1 2", stride, R"(stride="2")")},
        {"an accessor count past the array", collada("0 1 2", accessor, R"(count="4")")},
        {"an offset past the array", collada("0 1 2", stride, R"(stride="3" offset="1")")},
        {"a negative accessor count", collada("0 1 2", accessor, R"(count="-1")")},
        {"a name array count of billions",
         collada("0 1 2", "</mesh>",
                 R"(</mesh><source id="n"><Name_array id="na" count="99999999999">a)"
                 R"(</Name_array></source>)")},
    };
    for (const auto& [name, document] : cases) {
        EXPECT_FALSE(colladaIsSafeToRead(document)) << name;
    }
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
