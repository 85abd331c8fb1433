// The imported model in a hidden context: what a Collada file becomes on
// the GPU, what it prints, and how it draws. Every case runs in a folder of
// its own, holding the model, its images and a fallback image of our own.
#include "gfx/shader_program.h"
#include "gfx/texture.h"
#include "scene/import_object.h"
#include "support/collada_text.h"
#include "support/gl_context.h"
#include "support/offscreen_target.h"
#include "support/test_shader.h"
#include "support/viewer.h"

#include <IL/il.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace orvane::test;
using orvane::scene::ImportObject;
using orvane::scene::ModelMesh;
using orvane::scene::ModelVertex;
namespace fs = std::filesystem;

using Rgb = std::array<unsigned char, 3>;

// A one-colour PNG, written through DevIL as the viewer's images are.
void writeImage(const fs::path& relative, Rgb colour) {
    const fs::path path = fs::absolute(relative);
    fs::create_directories(path.parent_path());
    std::vector<unsigned char> pixels;
    for (int texel = 0; texel < 4 * 4; ++texel) {
        pixels.insert(pixels.end(), colour.begin(), colour.end());
    }
    ilInit();
    ilEnable(IL_FILE_OVERWRITE);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(4, 4, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data());
    ASSERT_TRUE(ilSaveImage(path.string().c_str()));
    ilDeleteImages(1, &image);
}

class ImportObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ensureGlContext());
        previous = fs::current_path();
        fs::current_path(folder.path());
        writeImage("Textures/CompanionCube.png", {0, 0, 255});
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override { fs::current_path(previous); }

    void writeModel(const std::string& path, const std::vector<ColladaMesh>& meshes,
                    const std::vector<ColladaMaterial>& materials) {
        writeFile(folder.path() / path, colladaText(meshes, materials));
    }
    // Loads while capturing standard output, which goes to console.
    std::unique_ptr<ImportObject> load(const std::string& path,
                                       const glm::mat4& matrix = glm::mat4(1.0f)) {
        ::testing::internal::CaptureStdout();
        auto object = std::make_unique<ImportObject>(matrix, path);
        console = splitLines(::testing::internal::GetCapturedStdout());
        return object;
    }

    TempDir folder;
    fs::path previous;
    std::vector<std::string> console;
};

GLint bufferSize(GLenum target, GLuint buffer) {
    GLint size = -1;
    glBindBuffer(target, buffer);
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    glBindBuffer(target, 0);
    return size;
}

std::vector<ModelVertex> readVertices(const ModelMesh& mesh) {
    const GLint bytes = bufferSize(GL_ARRAY_BUFFER, mesh.vertexBuffer);
    std::vector<ModelVertex> vertices(static_cast<std::size_t>(bytes) / sizeof(ModelVertex));
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, bytes, vertices.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return vertices;
}

ColladaMesh triangleFan(unsigned triangles, unsigned material) {
    ColladaMesh mesh;
    mesh.positions = {0, 0, 0};
    mesh.normals = {0, 0, 1};
    mesh.uvs = {0.5f, 0.5f};
    for (unsigned k = 0; k <= triangles; ++k) {
        const float angle = 0.5f * float(k);
        mesh.positions.insert(mesh.positions.end(), {std::cos(angle), std::sin(angle), 0.0f});
        mesh.normals.insert(mesh.normals.end(), {0, 0, 1});
        mesh.uvs.insert(mesh.uvs.end(),
                        {0.5f + 0.5f * std::cos(angle), 0.5f + 0.5f * std::sin(angle)});
    }
    for (unsigned k = 0; k < triangles; ++k) {
        mesh.cornerCounts.push_back(3);
        mesh.indices.insert(mesh.indices.end(), {0, k + 1, k + 2});
    }
    mesh.material = material;
    return mesh;
}

TEST_F(ImportObjectTest, BuildsOneRecordPerMeshAndOneTexturePerMaterial) {
    // Fans of 2, 3 and 5 triangles over 4, 5 and 7 distinct vertices.
    writeModel("model.dae", {triangleFan(2, 0), triangleFan(3, 1), triangleFan(5, 1)},
               {{"tex.png"}, {""}});
    writeImage("tex.png", {255, 0, 0});
    const auto model = load("model.dae");

    ASSERT_FALSE(console.empty());
    EXPECT_EQ(console[0], "3");
    ASSERT_EQ(model->meshes.size(), 3u);
    ASSERT_EQ(model->materialTextures.size(), 2u);
    for (const auto& texture : model->materialTextures) {
        ASSERT_NE(texture, nullptr);
        EXPECT_TRUE(glIsTexture(texture->id));
    }
    const struct {
        unsigned faces;
        unsigned vertices;
        unsigned material;
    } expected[] = {{2, 4, 0}, {3, 5, 1}, {5, 7, 1}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const ModelMesh& mesh = model->meshes[i];
        EXPECT_EQ(mesh.indexCount, 3 * expected[i].faces);
        EXPECT_EQ(mesh.materialIndex, expected[i].material);
        EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, mesh.vertexBuffer), 32 * int(expected[i].vertices));
        EXPECT_EQ(bufferSize(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer),
                  4 * 3 * int(expected[i].faces));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ImportObjectTest, AMeshWithoutUvsOrNormalsLoadsWithZerosThere) {
    ColladaMesh bare = unitQuad();
    bare.uvs.clear();
    bare.normals.clear();
    writeModel("model.dae", {bare, unitQuad()}, {{""}});
    const auto model = load("model.dae");
    ASSERT_EQ(model->meshes.size(), 2u);

    const std::vector<ModelVertex> plain = readVertices(model->meshes[0]);
    ASSERT_EQ(plain.size(), 4u);
    for (const ModelVertex& vertex : plain) {
        EXPECT_EQ(vertex.uv, glm::vec2(0.0f));
        EXPECT_EQ(vertex.normal, glm::vec3(0.0f));
    }
    // The other mesh keeps what its file gives: the layout is read back as written.
    const std::vector<ModelVertex> full = readVertices(model->meshes[1]);
    ASSERT_EQ(full.size(), 4u);
    for (const ModelVertex& vertex : full) {
        EXPECT_EQ(vertex.uv, glm::vec2(vertex.position.x, vertex.position.y));
        EXPECT_EQ(vertex.normal, glm::vec3(0.0f, 0.0f, 1.0f));
    }
}

// These console cases need the real Texture, which prints each path and
// "Texture loading failed" on failure.
TEST_F(ImportObjectTest, PrintsTheTextureLinesInOrder) {
    writeImage("found.png", {0, 255, 0});
    writeImage("models/sub/inner.png", {0, 255, 0});
    writeModel("model.dae", {unitQuad(0), unitQuad(1)}, {{"missing.png"}, {"found.png"}});
    writeModel("models/model.dae", {unitQuad(0)}, {{"sub/inner.png"}});
    struct Case {
        const char* model;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"model.dae",
         {"2", "./missing.png", "Texture loading failed", "Error loading texture './missing.png'",
          "Textures/CompanionCube.png", "./found.png", "Loaded texture './found.png'"}},
        {"models/model.dae",
         {"1", "models/sub/inner.png", "Loaded texture 'models/sub/inner.png'"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        const auto model = load(c.model);
        EXPECT_EQ(console, c.lines);
        for (const auto& texture : model->materialTextures) {
            EXPECT_NE(texture, nullptr);
        }
    }
}

TEST_F(ImportObjectTest, MaterialsWithoutTexturesEachGetAFallbackOfTheirOwn) {
    writeModel("model.dae", {unitQuad(0), unitQuad(1)}, {{""}, {""}});
    const auto model = load("model.dae");
    ASSERT_EQ(model->materialTextures.size(), 2u);
    ASSERT_NE(model->materialTextures[0], nullptr);
    ASSERT_NE(model->materialTextures[1], nullptr);
    EXPECT_NE(model->materialTextures[0]->id, model->materialTextures[1]->id);
    EXPECT_TRUE(model->materialTextures[0]->loaded);
    EXPECT_EQ(console, (std::vector<std::string>{"2", "Textures/CompanionCube.png",
                                                 "Textures/CompanionCube.png"}));
}

TEST_F(ImportObjectTest, AFileThatDoesNotLoadLeavesAnObjectThatDrawsAndTurns) {
    writeFile(folder.path() / "broken.dae", "<COLLADA><library_geometries><geometry");
    writeFile(folder.path() / "notes.txt", "not a model at all");
    fs::create_directories("folder.dae");
    for (const std::string path : {"absent.dae", "broken.dae", "notes.txt", "folder.dae"}) {
        SCOPED_TRACE(path);
        const auto model = load(path);
        EXPECT_EQ(console, std::vector<std::string>{"Failed to load the scene: " + path});
        EXPECT_TRUE(model->meshes.empty());
        EXPECT_TRUE(model->materialTextures.empty());
        model->draw();
        model->update(0.25);
        EXPECT_NE(model->modelMatrix, glm::mat4(1.0f));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(ImportObjectTest, PointsAndLinesLoadAsMeshesWithNothingToDraw) {
    ColladaMesh mixed = unitQuad();
    mixed.cornerCounts = {3, 3, 2, 2, 1};
    mixed.indices = {0, 1, 2, 0, 2, 3, 0, 1, 1, 3, 2};
    writeModel("model.dae", {mixed}, {{""}});
    const auto model = load("model.dae");
    ASSERT_EQ(console.at(0), "3");
    std::vector<std::uint32_t> counts;
    for (const ModelMesh& mesh : model->meshes) {
        counts.push_back(mesh.indexCount);
        EXPECT_EQ(bufferSize(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer), 4 * int(mesh.indexCount));
    }
    std::sort(counts.begin(), counts.end());
    EXPECT_EQ(counts, (std::vector<std::uint32_t>{0, 0, 6}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The shipped vertex layout, drawn flat with the mesh's texture.
const char* const flatVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 uv;
layout(location = 2) in vec3 normal;
uniform mat4 modelMatrix;
out vec2 fragmentUv;
void main() {
    fragmentUv = uv;
    gl_Position = modelMatrix * vec4(position, 1.0);
}
)";

const char* const flatFragment = R"(#version 330 core
in vec2 fragmentUv;
uniform sampler2D colorTexture;
out vec4 fragcolor;
void main() { fragcolor = vec4(texture(colorTexture, fragmentUv).rgb, 1.0); }
)";

class ImportObjectDrawing : public ImportObjectTest {
protected:
    void SetUp() override {
        ImportObjectTest::SetUp();
        program = makeShaderProgram(flatVertex, flatFragment);
    }

    // Draws with the model's matrix into a fresh target and reads it back.
    std::vector<std::array<unsigned char, 4>> drawn(ImportObject& model) {
        OffscreenTarget target(64);
        target.bindAndClear();
        glUseProgram(program->program);
        glUniform1i(glGetUniformLocation(program->program, "colorTexture"), 0);
        glUniformMatrix4fv(glGetUniformLocation(program->program, "modelMatrix"), 1, GL_FALSE,
                           glm::value_ptr(model.modelMatrix));
        model.draw();
        return target.readPixels();
    }

    std::unique_ptr<orvane::ShaderProgram> program;
};

// Pixel (x, y) of a 64 x 64 target, bottom row first.
Rgb pixelAt(const std::vector<std::array<unsigned char, 4>>& pixels, int x, int y) {
    const auto& p = pixels.at(static_cast<std::size_t>(y) * 64 + x);
    return {p[0], p[1], p[2]};
}

TEST_F(ImportObjectDrawing, DrawsEachMeshWithItsOwnMaterialTexture) {
    writeImage("left.png", {255, 0, 0});
    writeImage("right.png", {0, 255, 0});
    // Two quads side by side in clip space, one per material.
    ColladaMesh left = unitQuad(0);
    left.positions = {-1, -1, 0, 0, -1, 0, 0, 1, 0, -1, 1, 0};
    ColladaMesh right = unitQuad(1);
    right.positions = {0, -1, 0, 1, -1, 0, 1, 1, 0, 0, 1, 0};
    writeModel("model.dae", {left, right}, {{"left.png"}, {"right.png"}});
    const auto model = load("model.dae");
    ASSERT_EQ(model->meshes.size(), 2u);

    const auto pixels = drawn(*model);
    EXPECT_EQ(pixelAt(pixels, 16, 32), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixelAt(pixels, 48, 32), (Rgb{0, 255, 0}));

    // The last mesh's texture is left bound on unit 0; the vertex array is unbound.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), model->materialTextures[1]->id);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ImportObjectDrawing, DrawsTheTrianglesOfAFileThatAlsoHasLinesAndPoints) {
    writeImage("white.png", {255, 255, 255});
    ColladaMesh mixed = unitQuad();
    mixed.positions = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
    // The quad's two triangles among lines and a point, which the import
    // sorts into meshes of their own.
    mixed.cornerCounts = {2, 3, 1, 3, 2};
    mixed.indices = {0, 2, 0, 1, 2, 3, 0, 2, 3, 1, 3};
    writeModel("model.dae", {mixed}, {{"white.png"}});
    const auto model = load("model.dae");
    const auto pixels = drawn(*model);
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{2, 2}, {61, 61}, {32, 32}}) {
        EXPECT_EQ(pixelAt(pixels, x, y), (Rgb{255, 255, 255})) << x << ", " << y;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ImportObjectDrawing, LeavesAttributeArraysZeroToTwoDisabled) {
    writeModel("model.dae", {unitQuad()}, {{""}});
    const auto model = load("model.dae");
    drawn(*model);
    glBindVertexArray(model->vao);
    for (GLuint location = 0; location < 3; ++location) {
        GLint enabled = -1;
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        EXPECT_EQ(enabled, GL_FALSE) << location;
        // The pointers were set to the documented layout all the same.
        GLint stride = 0;
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &stride);
        EXPECT_EQ(stride, 32) << location;
    }
    glBindVertexArray(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ImportObjectTest, UpdateTurnsFiftyDegreesAboutTheOwnZAxisInHalfASecond) {
    writeModel("model.dae", {unitQuad()}, {{""}});
    const glm::mat4 placement = glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(10, 0, 0)),
                                            glm::radians(-90.0f), glm::vec3(1, 0, 0));
    const auto model = load("model.dae", placement);
    model->update(0.5);
    const glm::vec4 ownX = model->modelMatrix * glm::vec4(1, 0, 0, 0);
    const glm::vec4 expectedX =
        placement * glm::vec4(std::cos(glm::radians(50.0f)), std::sin(glm::radians(50.0f)), 0, 0);
    EXPECT_LT(glm::length(ownX - expectedX), 1e-5f);
    EXPECT_LT(glm::length(model->modelMatrix[2] - placement[2]), 1e-6f);
    EXPECT_EQ(model->modelMatrix[3], placement[3]);
}

TEST_F(ImportObjectTest, DestroyingReleasesBuffersTexturesAndVertexArray) {
    writeImage("tex.png", {9, 9, 9});
    writeModel("model.dae", {unitQuad(0), unitQuad(1)}, {{"tex.png"}, {""}});
    std::vector<GLuint> buffers;
    std::vector<GLuint> textures;
    GLuint vao = 0;
    {
        const auto model = load("model.dae");
        for (const ModelMesh& mesh : model->meshes) {
            buffers.insert(buffers.end(), {mesh.vertexBuffer, mesh.indexBuffer});
        }
        for (const auto& texture : model->materialTextures) {
            textures.push_back(texture->id);
        }
        vao = model->vao;
    }
    ASSERT_EQ(buffers.size(), 4u);
    for (GLuint buffer : buffers) {
        EXPECT_FALSE(glIsBuffer(buffer)) << buffer;
    }
    ASSERT_EQ(textures.size(), 2u);
    for (GLuint texture : textures) {
        EXPECT_FALSE(glIsTexture(texture)) << texture;
    }
    EXPECT_FALSE(glIsVertexArray(vao));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
