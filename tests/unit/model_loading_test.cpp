// The model's pure loading steps, the turn, and the shipped model and its
// generator, all without a window.
#include "scene/import_object.h"
#include "scene/model_loading.h"
#include "support/process.h"
#include "support/viewer.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace orvane::scene;
namespace fs = std::filesystem;

TEST(ModelDirectory, IsTheTextBeforeTheLastSlashOnly) {
    const struct {
        const char* path;
        const char* directory;
    } cases[] = {
        {"Models/Untitled/models/Untitled.dae", "Models/Untitled/models"},
        {"model.dae", "."},
        {"/model.dae", "/"},
        {"//model.dae", "/"},
        {"a/b/", "a/b"},
        {"a\\b\\model.dae", "."},
        {"a/b\\model.dae", "a"},
        {"", "."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(modelDirectory(c.path), c.directory) << c.path;
    }
    // The texture path is the directory, "/" and the file's own text.
    EXPECT_EQ(modelDirectory("model.dae") + "/", "./");
    EXPECT_EQ(modelDirectory("/model.dae") + "/", "//");
}

// A hand-made Assimp mesh; aiMesh's destructor frees the arrays.
struct MeshFixture {
    aiMesh mesh;

    explicit MeshFixture(unsigned int vertexCount) {
        mesh.mNumVertices = vertexCount;
        mesh.mVertices = new aiVector3D[vertexCount];
        for (unsigned int v = 0; v < vertexCount; ++v) {
            mesh.mVertices[v] = aiVector3D(float(v), float(v) + 0.5f, -float(v));
        }
    }
    void addNormals() {
        mesh.mNormals = new aiVector3D[mesh.mNumVertices];
        for (unsigned int v = 0; v < mesh.mNumVertices; ++v) {
            mesh.mNormals[v] = aiVector3D(0.0f, float(v % 2), 1.0f);
        }
    }
    void addUvs() {
        mesh.mTextureCoords[0] = new aiVector3D[mesh.mNumVertices];
        mesh.mNumUVComponents[0] = 2;
        for (unsigned int v = 0; v < mesh.mNumVertices; ++v) {
            mesh.mTextureCoords[0][v] = aiVector3D(0.25f * float(v), 1.0f - 0.25f * float(v), 9.0f);
        }
    }
    void setFaces(const std::vector<std::vector<unsigned int>>& faces) {
        mesh.mNumFaces = static_cast<unsigned int>(faces.size());
        mesh.mFaces = new aiFace[faces.size()];
        for (std::size_t f = 0; f < faces.size(); ++f) {
            mesh.mFaces[f].mNumIndices = static_cast<unsigned int>(faces[f].size());
            mesh.mFaces[f].mIndices = new unsigned int[faces[f].size()];
            std::copy(faces[f].begin(), faces[f].end(), mesh.mFaces[f].mIndices);
        }
    }
};

TEST(CollectVertices, CopiesPositionUvAndNormalInAssimpOrder) {
    MeshFixture fixture(3);
    fixture.addNormals();
    fixture.addUvs();
    std::vector<ModelVertex> vertices;
    collectVertices(fixture.mesh, vertices);
    ASSERT_EQ(vertices.size(), 3u);
    for (unsigned int v = 0; v < 3; ++v) {
        EXPECT_EQ(vertices[v].position, glm::vec3(float(v), float(v) + 0.5f, -float(v)));
        // Only x and y of the coordinate set; its z is not a texture coordinate here.
        EXPECT_EQ(vertices[v].uv, glm::vec2(0.25f * float(v), 1.0f - 0.25f * float(v)));
        EXPECT_EQ(vertices[v].normal, glm::vec3(0.0f, float(v % 2), 1.0f));
    }
}

TEST(CollectVertices, MissingUvsAndNormalsBecomeZeros) {
    MeshFixture fixture(4);
    std::vector<ModelVertex> vertices{
        ModelVertex{glm::vec3(7.0f), glm::vec2(7.0f), glm::vec3(7.0f)}};
    collectVertices(fixture.mesh, vertices);
    ASSERT_EQ(vertices.size(), 4u);
    for (const ModelVertex& vertex : vertices) {
        EXPECT_EQ(vertex.uv, glm::vec2(0.0f));
        EXPECT_EQ(vertex.normal, glm::vec3(0.0f));
    }
}

TEST(CollectVertices, AMeshWithoutPositionsGivesNoVertices) {
    aiMesh mesh;
    mesh.mNumVertices = 5; // but no array behind it
    std::vector<ModelVertex> vertices(2);
    collectVertices(mesh, vertices);
    EXPECT_TRUE(vertices.empty());
}

TEST(CollectTriangleIndices, KeepsTrianglesInOrderAndSkipsPointsLinesAndStrayIndices) {
    MeshFixture fixture(4);
    fixture.setFaces({
        {0, 1, 2},
        {3},    // a point
        {1, 3}, // a line
        {2, 3, 0},
        {0, 1, 4}, // names a vertex the mesh does not have
        {3, 2, 1},
    });
    std::vector<std::uint32_t> indices;
    collectTriangleIndices(fixture.mesh, indices);
    EXPECT_EQ(indices, (std::vector<std::uint32_t>{0, 1, 2, 2, 3, 0, 3, 2, 1}));
}

TEST(CollectTriangleIndices, AMeshOfOnlyPointsAndLinesGivesNoIndices) {
    MeshFixture fixture(3);
    fixture.setFaces({{0}, {1, 2}, {2}});
    std::vector<std::uint32_t> indices{9, 9, 9};
    collectTriangleIndices(fixture.mesh, indices);
    EXPECT_TRUE(indices.empty());
}

bool nearlyEqual(const glm::mat4& a, const glm::mat4& b) {
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            if (std::abs(a[column][row] - b[column][row]) > 1e-5f) {
                return false;
            }
        }
    }
    return true;
}

TEST(TurnedAboutOwnZ, TurnsOneHundredDegreesPerSecondAboutTheModelsOwnAxis) {
    // The scene's placement: a model-space turn, not a world-space one.
    glm::mat4 placement = glm::scale(glm::mat4(1.0f), glm::vec3(0.1f));
    placement = glm::translate(placement, glm::vec3(100.0f, 0.0f, 0.0f));
    placement = glm::rotate(placement, glm::radians(-90.0f), glm::vec3(1.0f, 0.0f, 0.0f));

    const glm::mat4 turned = turnedAboutOwnZ(placement, 0.5);
    const glm::mat4 expected =
        placement * glm::rotate(glm::mat4(1.0f), glm::radians(50.0f), glm::vec3(0, 0, 1));
    EXPECT_TRUE(nearlyEqual(turned, expected));
    // The model's own z axis (world up here) and its place stay put.
    EXPECT_LT(glm::length(turned * glm::vec4(0, 0, 1, 0) - placement * glm::vec4(0, 0, 1, 0)),
              1e-6f);
    EXPECT_LT(glm::length(turned[3] - placement[3]), 1e-6f);
    EXPECT_TRUE(nearlyEqual(turnedAboutOwnZ(placement, 0.0), placement));
    // Turns accumulate without wrapping: 3.6 s is a whole turn.
    glm::mat4 accumulated = placement;
    for (int frame = 0; frame < 36; ++frame) {
        accumulated = turnedAboutOwnZ(accumulated, 0.1);
    }
    EXPECT_TRUE(nearlyEqual(accumulated, placement));
}

// ---- The shipped model, read the way the viewer reads it ----

const char* const shippedModel = "Models/Untitled/models/Untitled.dae";

struct LoadedModel {
    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    explicit LoadedModel(const fs::path& path) { scene = importer.ReadFile(path.string(), 0x800B); }
};

std::size_t triangleCount(const aiScene& scene) {
    std::size_t triangles = 0;
    for (unsigned int i = 0; i < scene.mNumMeshes; ++i) {
        triangles += scene.mMeshes[i]->mNumFaces;
    }
    return triangles;
}

std::vector<std::string> diffuseTextures(const aiScene& scene) {
    std::vector<std::string> textures;
    for (unsigned int m = 0; m < scene.mNumMaterials; ++m) {
        aiString path;
        const bool named = aiGetMaterialTextureCount(scene.mMaterials[m], aiTextureType_DIFFUSE) &&
                           aiGetMaterialTexture(scene.mMaterials[m], aiTextureType_DIFFUSE, 0,
                                                &path) == aiReturn_SUCCESS;
        textures.push_back(named ? path.C_Str() : "");
    }
    return textures;
}

TEST(ShippedModel, LoadsAsTexturedTrianglesStandingAlongZ) {
    const fs::path path = orvane::test::sourcePath(shippedModel);
    LoadedModel model(path);
    ASSERT_NE(model.scene, nullptr) << model.importer.GetErrorString();
    const aiScene& scene = *model.scene;
    EXPECT_GE(scene.mNumMeshes, 2u);
    EXPECT_GE(scene.mNumMaterials, 3u);

    float lowest = 1e9f;
    float highest = -1e9f;
    for (unsigned int i = 0; i < scene.mNumMeshes; ++i) {
        const aiMesh& mesh = *scene.mMeshes[i];
        EXPECT_EQ(mesh.mPrimitiveTypes, unsigned{aiPrimitiveType_TRIANGLE});
        EXPECT_NE(mesh.mNormals, nullptr);
        EXPECT_TRUE(mesh.HasTextureCoords(0));
        EXPECT_LT(mesh.mMaterialIndex, scene.mNumMaterials);
        for (unsigned int v = 0; v < mesh.mNumVertices; ++v) {
            lowest = std::min(lowest, mesh.mVertices[v].z);
            highest = std::max(highest, mesh.mVertices[v].z);
        }
    }
    // Placed at a tenth of its size: 1 to 2.5 world units tall, on the ground.
    EXPECT_NEAR(lowest, 0.0f, 1e-4f);
    EXPECT_GE(highest - lowest, 10.0f);
    EXPECT_LE(highest - lowest, 25.0f);
}

TEST(ShippedModel, NamesTexturesBesideItAndInAFolderAndOneMaterialWithout) {
    const fs::path path = orvane::test::sourcePath(shippedModel);
    LoadedModel model(path);
    ASSERT_NE(model.scene, nullptr);
    const std::vector<std::string> textures = diffuseTextures(*model.scene);
    const std::string directory = modelDirectory(path.string());
    bool beside = false;
    bool inFolder = false;
    bool without = false;
    for (const std::string& texture : textures) {
        if (texture.empty()) {
            without = true;
            continue;
        }
        EXPECT_TRUE(fs::is_regular_file(directory + "/" + texture)) << texture;
        (texture.find('/') == std::string::npos ? beside : inFolder) = true;
    }
    EXPECT_TRUE(beside);
    EXPECT_TRUE(inFolder);
    EXPECT_TRUE(without);
}

// ---- The generator ----

fs::path generatorPath() {
    // Tools are built beside the viewer, in tools/.
    return fs::path(ORVANE_VIEWER_PATH).parent_path() / "tools" / "make_model";
}

orvane::test::ProcessResult runGenerator(const std::vector<std::string>& arguments) {
    orvane::test::ProcessOptions options;
    options.argv = {generatorPath().string()};
    options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
    return orvane::test::runProcess(options, 120.0);
}

TEST(ModelGenerator, WritesTheShippedFilesByteForByte) {
    ASSERT_TRUE(fs::exists(generatorPath())) << generatorPath();
    orvane::test::TempDir folder;
    const fs::path out = folder.path() / "Untitled.dae";
    const auto result = runGenerator({out.string()});
    ASSERT_TRUE(result.finished);
    ASSERT_EQ(result.exitStatus, 0) << result.output;
    const fs::path shipped = orvane::test::sourcePath("Models/Untitled/models");
    for (const char* file : {"Untitled.dae", "paint.png", "textures/hull.png"}) {
        EXPECT_EQ(orvane::test::readTextFile(folder.path() / file),
                  orvane::test::readTextFile(shipped / file))
            << file << " differs: run make_model from the source folder again";
    }
}

TEST(ModelGenerator, MakesTheSameModelAtARequestedSize) {
    ASSERT_TRUE(fs::exists(generatorPath())) << generatorPath();
    const LoadedModel shipped(orvane::test::sourcePath(shippedModel));
    ASSERT_NE(shipped.scene, nullptr);
    for (long requested : {2000L, 30000L}) {
        SCOPED_TRACE(requested);
        orvane::test::TempDir folder;
        const fs::path out = folder.path() / "sized" / "model.dae";
        const auto result = runGenerator({out.string(), "--triangles", std::to_string(requested)});
        ASSERT_TRUE(result.finished);
        ASSERT_EQ(result.exitStatus, 0) << result.output;
        const LoadedModel model(out);
        ASSERT_NE(model.scene, nullptr);
        EXPECT_NEAR(double(triangleCount(*model.scene)), double(requested), 0.05 * requested);
        EXPECT_EQ(model.scene->mNumMeshes, shipped.scene->mNumMeshes);
        EXPECT_EQ(diffuseTextures(*model.scene), diffuseTextures(*shipped.scene));
        EXPECT_TRUE(fs::is_regular_file(folder.path() / "sized/paint.png"));
        EXPECT_TRUE(fs::is_regular_file(folder.path() / "sized/textures/hull.png"));
    }
}

} // namespace
