// The imported model in a hidden context: what a Collada file becomes on
// the GPU, what it prints, and how it draws. Every case runs in a folder of
// its own holding the model, its images and the shipped fallback image.
#include "gfx/texture.h"
#include "scene/import_object.h"
#include "support/collada_text.h"
#include "support/gl_context.h"
#include "support/gl_query.h"
#include "support/offscreen_target.h"
#include "support/test_shader.h"
#include "support/viewer.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <tuple>

namespace {

using namespace orvane::test;
using orvane::scene::ImportObject;
using orvane::scene::ModelMesh;
using orvane::scene::ModelVertex;
namespace fs = std::filesystem;

// A one-texel image in the simplest format DevIL reads.
std::string ppm(unsigned char red, unsigned char green, unsigned char blue) {
    return std::string("P6 1 1 255 ") + char(red) + char(green) + char(blue);
}

class ImportObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ensureGlContext());
        previous = fs::current_path();
        fs::current_path(folder.path());
        fs::copy(sourcePath("Textures"), "Textures");
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override { fs::current_path(previous); }

    void write(const std::string& name, const std::string& text) {
        writeFile(folder.path() / name, text);
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

std::vector<ModelVertex> readVertices(const ModelMesh& mesh) {
    const GLint bytes = bufferBytes(mesh.vertexBuffer);
    std::vector<ModelVertex> vertices(static_cast<std::size_t>(bytes) / sizeof(ModelVertex));
    glBindBuffer(GL_COPY_READ_BUFFER, mesh.vertexBuffer);
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, bytes, vertices.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return vertices;
}

TEST_F(ImportObjectTest, BuildsOneRecordPerMeshSizedByItsFacesAndVertices) {
    const ColladaMesh triangle{{0, 0, 0, 1, 0, 0, 0, 1, 0}, {3}, {0, 1, 2}};
    ColladaMesh bare = quad(0, 0, 1, 1);
    bare.bare = true;
    write("model.dae", colladaText({triangle, quad(0, 0, 1, 1), bare}, {""}));
    const auto model = load("model.dae");
    EXPECT_EQ(console.at(0), "3");
    ASSERT_EQ(model->meshes.size(), 3u);
    const int faces[] = {1, 2, 2};
    const int vertices[] = {3, 4, 4};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(model->meshes[i].indexCount, 3u * faces[i]) << i;
        EXPECT_EQ(bufferBytes(model->meshes[i].vertexBuffer), 32 * vertices[i]);
    }
    // The file's uvs and normals where it has them, zeros where it has none.
    for (const std::size_t i : {1, 2}) {
        for (const ModelVertex& vertex : readVertices(model->meshes[i])) {
            EXPECT_EQ(vertex.uv, i == 1 ? glm::vec2(vertex.position) : glm::vec2(0.0f)) << i;
            EXPECT_EQ(vertex.normal, glm::vec3(0, 0, i == 1 ? 1 : 0)) << i;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ImportObjectTest, GivesEachMaterialATextureOfItsOwnAndPrintsEachInOrder) {
    write("found.ppm", ppm(0, 255, 0));
    write("model.dae", colladaText({quad(0, 0, 1, 1, 0), quad(0, 0, 1, 1, 1), quad(0, 0, 1, 1, 2),
                                    quad(0, 0, 1, 1, 3)},
                                   {"missing.png", "found.ppm", "", ""}));
    const auto model = load("model.dae");
    const std::string fallback = "Textures/CompanionCube.png";
    EXPECT_EQ(console, (std::vector<std::string>{"4", "./missing.png", "Texture loading failed",
                                                 "Error loading texture './missing.png'", fallback,
                                                 "./found.ppm", "Loaded texture './found.ppm'",
                                                 fallback, fallback}));
    ASSERT_EQ(model->materialTextures.size(), 4u);
    std::set<GLuint> ids;
    for (const auto& texture : model->materialTextures) {
        ASSERT_NE(texture, nullptr);
        EXPECT_TRUE(texture->loaded);
        ids.insert(texture->id);
    }
    EXPECT_EQ(ids.size(), 4u) << "two materials share a fallback texture";
}

TEST_F(ImportObjectTest, AFileThatDoesNotLoadIsReportedAndTheObjectStillDrawsAndTurns) {
    write("broken.dae", "<COLLADA><library_geometries><geometry");
    fs::create_directories("folder.dae");
    const glm::mat4 placement = glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(10, 0, 0)),
                                            glm::radians(-90.0f), glm::vec3(1, 0, 0));
    // Half a second turns it 50 degrees about its own z axis, not the world's.
    const glm::mat4 turned = glm::rotate(placement, glm::radians(50.0f), glm::vec3(0, 0, 1));
    for (const std::string path : {"absent.dae", "folder.dae", "broken.dae"}) {
        SCOPED_TRACE(path);
        const auto model = load(path, placement);
        EXPECT_EQ(console, std::vector<std::string>{"Failed to load the scene: " + path});
        EXPECT_TRUE(model->meshes.empty());
        model->draw();
        model->update(0.5);
        for (int column = 0; column < 4; ++column) {
            EXPECT_LT(glm::length(model->modelMatrix[column] - turned[column]), 1e-5f);
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(ImportObjectTest, DrawsTheTrianglesOfEachMeshWithItsTextureAndDisablesTheArrays) {
    write("red.ppm", ppm(255, 0, 0));
    write("green.ppm", ppm(0, 255, 0));
    // Two halves of clip space; the left one's triangles among lines and a
    // point, which the import sorts into meshes of their own. Each probe lies
    // well inside one triangle.
    ColladaMesh left = quad(-1, -1, 0, 1, 0);
    left.cornerCounts = {2, 3, 1, 3, 2};
    left.indices = {0, 2, 0, 1, 2, 3, 0, 2, 3, 1, 3};
    write("model.dae", colladaText({left, quad(0, -1, 1, 1, 1)}, {"red.ppm", "green.ppm"}));
    const auto model = load("model.dae");
    std::vector<std::uint32_t> counts;
    for (const ModelMesh& mesh : model->meshes) {
        counts.push_back(mesh.indexCount);
        EXPECT_EQ(bufferBytes(mesh.indexBuffer), 4 * int(mesh.indexCount));
    }
    std::sort(counts.begin(), counts.end());
    EXPECT_EQ(counts, (std::vector<std::uint32_t>{0, 0, 6, 6}));

    const auto program = makeShaderProgram(R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 uv;
out vec2 fragmentUv;
void main() { fragmentUv = uv; gl_Position = vec4(position, 1.0); })",
                                           R"(#version 330 core
in vec2 fragmentUv;
uniform sampler2D colorTexture;
out vec4 fragcolor;
void main() { fragcolor = texture(colorTexture, fragmentUv); })");
    OffscreenTarget target(64);
    target.bindAndClear();
    glUseProgram(program->program);
    model->draw();
    const auto pixels = target.readPixels();
    for (const auto& [x, y, green] :
         {std::tuple{4, 60, false}, {28, 4, false}, {36, 4, true}, {60, 60, true}}) {
        const auto& pixel = pixels.at(y * 64 + x);
        EXPECT_EQ(pixel[0], green ? 0 : 255) << x << ", " << y;
        EXPECT_EQ(pixel[1], green ? 255 : 0) << x << ", " << y;
    }
    GLint value = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &value);
    EXPECT_EQ(value, 0);
    glBindVertexArray(model->vao);
    for (GLuint location = 0; location < 3; ++location) {
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &value);
        EXPECT_EQ(value, GL_FALSE) << "attribute array " << location << " left enabled";
    }
    glBindVertexArray(0);
    glUseProgram(0);

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
