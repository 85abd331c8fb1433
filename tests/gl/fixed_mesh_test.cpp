// The meshes built from constant tables, the cube and the ground, in a
// hidden context: what they upload, what they leave bound, what they draw
// and what they delete; and the cube's stillness and its one-colour side.
#include "app/scene.h"
#include "scene/cube.h"
#include "scene/terrain.h"
#include "support/gl_context.h"
#include "support/gl_query.h"
#include "support/offscreen_target.h"
#include "support/test_shader.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace {

using orvane::ShaderProgram;
using orvane::scene::Cube;
using orvane::scene::FixedMesh;
using orvane::scene::SceneObject;
using orvane::scene::Terrain;
using orvane::test::bufferBytes;
using orvane::test::glInteger;

// Position and uv not at the shipped locations, so only a look-up by name
// finds them, and no normal input. Every fragment adds 64 to red, so a pixel
// tells how many triangles cover it; green and blue show the uv.
const char* const vertexShader = R"(#version 330 core
layout(location = 2) in vec3 position;
layout(location = 0) in vec2 uv;
uniform mat4 modelMatrix;
out vec2 fragmentUv;
void main() {
    fragmentUv = uv;
    gl_Position = modelMatrix * vec4(position, 1.0);
})";
const char* const fragmentShader = R"(#version 330 core
in vec2 fragmentUv;
out vec4 fragcolor;
void main() { fragcolor = vec4(64.0 / 255.0, fragmentUv, 1.0); })";

template <typename Mesh> std::unique_ptr<FixedMesh> make() {
    return std::make_unique<Mesh>(glm::mat4(1.0f));
}

struct MeshKind {
    const char* name;
    std::unique_ptr<FixedMesh> (*make)();
    GLint bytes[4]; // of the position, normal, uv and index buffers
    // Scaled, then turned about an axis: the whole mesh inside the clip
    // volume, no face seen edge-on.
    float scale;
    float degrees;
    glm::vec3 axis;
    int layers;     // surfaces over each covered pixel: a closed mesh has two
    int minCovered; // of the 128 x 128 pixels; half the ground would not do
};

void PrintTo(const MeshKind& kind, std::ostream* out) {
    *out << kind.name;
}

const MeshKind meshKinds[] = {
    {"Cube", make<Cube>, {288, 288, 192, 144}, 0.8f, 35.0f, {1, 1, 0}, 2, 4000},
    {"Terrain", make<Terrain>, {48, 48, 32, 24}, 0.04f, 90.0f, {1, 0, 0}, 1, 10000},
};

class MeshTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(orvane::test::ensureGlContext());
        shader = orvane::test::makeShaderProgram(vertexShader, fragmentShader);
        orvane::theScene.shaderProgram = shader.get();
        glUseProgram(shader->program);
    }
    void TearDown() override {
        orvane::theScene.shaderProgram = nullptr;
        glUseProgram(0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    void setModelMatrix(const glm::mat4& matrix) {
        glUniformMatrix4fv(glGetUniformLocation(shader->program, "modelMatrix"), 1, GL_FALSE,
                           glm::value_ptr(matrix));
    }

    std::unique_ptr<ShaderProgram> shader;
};

class FixedMeshTest : public MeshTest, public ::testing::WithParamInterface<MeshKind> {};

TEST_P(FixedMeshTest, ConstructionUploadsTheWholeTablesAndLeavesNothingBound) {
    const auto mesh = GetParam().make();
    EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(glInteger(GL_ARRAY_BUFFER_BINDING), 0);
    EXPECT_EQ(glInteger(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
    const GLuint buffers[] = {mesh->vertexBuffer, mesh->normalBuffer, mesh->uvBuffer,
                              mesh->indexBuffer};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bufferBytes(buffers[i]), GetParam().bytes[i]) << "buffer " << i;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_P(FixedMeshTest, DrawingBindsOnlyItsVertexArrayYetDrawsTheWholeMeshAndUnbindsIt) {
    const MeshKind& kind = GetParam();
    const auto mesh = kind.make();
    orvane::test::OffscreenTarget target(128);
    ASSERT_TRUE(target.complete());
    target.bindAndClear();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    setModelMatrix(glm::rotate(glm::scale(glm::mat4(1.0f), glm::vec3(kind.scale)),
                               glm::radians(kind.degrees), kind.axis));
    GLuint other = 0;
    glGenVertexArrays(1, &other);
    glBindVertexArray(other);
    mesh->draw();
    EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), 0);
    glDeleteVertexArrays(1, &other);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    int covered = 0;
    int wrongLayers = 0;
    for (const auto& pixel : target.readPixels()) {
        covered += pixel[0] != 0;
        wrongLayers += pixel[0] != 0 && pixel[0] != 64 * kind.layers;
    }
    EXPECT_EQ(wrongLayers, 0) << "pixels not covered exactly " << kind.layers << " times";
    EXPECT_GE(covered, kind.minCovered);
}

using Names = std::array<GLuint, 5>;

Names namesOf(const FixedMesh& mesh) {
    return {mesh.vertexBuffer, mesh.indexBuffer, mesh.normalBuffer, mesh.uvBuffer, mesh.vao};
}

int living(const Names& names) {
    return glIsBuffer(names[0]) + glIsBuffer(names[1]) + glIsBuffer(names[2]) +
           glIsBuffer(names[3]) + glIsVertexArray(names[4]);
}

TEST_P(FixedMeshTest, DestroyingThroughASceneObjectDeletesExactlyItsOwnNames) {
    auto made = GetParam().make();
    const auto neighbour = GetParam().make();
    const Names doomedNames = namesOf(*made);
    std::unique_ptr<SceneObject> doomed = std::move(made);
    ASSERT_EQ(living(doomedNames), 5);
    doomed.reset();
    EXPECT_EQ(living(doomedNames), 0);
    EXPECT_EQ(living(namesOf(*neighbour)), 5);
    EXPECT_TRUE(glIsProgram(shader->program));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Meshes, FixedMeshTest, ::testing::ValuesIn(meshKinds),
                         [](const auto& info) { return std::string(info.param.name); });

using CubeTest = MeshTest;

TEST_F(CubeTest, StandsBitForBitStillUntilRotatingIsSet) {
    const glm::mat4 start = glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)),
                                        glm::radians(17.0f), glm::vec3(0, 1, 0));
    Cube cube(start);
    EXPECT_FALSE(cube.rotating);
    for (double dt : {0.016, 1.0, 250.0}) {
        cube.update(dt);
    }
    EXPECT_EQ(std::memcmp(&cube.modelMatrix, &start, sizeof start), 0);
    cube.rotating = true;
    cube.update(0.9);
    const glm::mat4 turned = orvane::scene::turnedCubeMatrix(start, 0.9);
    EXPECT_EQ(std::memcmp(&cube.modelMatrix, &turned, sizeof turned), 0);
}

TEST_F(CubeTest, MinusXSideShowsOneColourWhereOtherSidesShowTheImage) {
    Cube cube(glm::mat4(1.0f));
    glEnable(GL_DEPTH_TEST);
    // Turned -90 degrees about y the -x side faces the viewer, turned +90 the +x side.
    for (const float degrees : {-90.0f, 90.0f}) {
        SCOPED_TRACE(degrees);
        orvane::test::OffscreenTarget target(64);
        target.bindAndClear();
        setModelMatrix(glm::rotate(glm::scale(glm::mat4(1.0f), glm::vec3(1.2f)),
                                   glm::radians(degrees), glm::vec3(0, 1, 0)));
        cube.draw();
        // How far the uv shown in the middle of the facing side strays.
        const auto pixels = target.readPixels();
        int spread = 0;
        for (int y = 20; y < 44; ++y) {
            for (int x = 20; x < 44; ++x) {
                for (int c = 1; c < 3; ++c) {
                    spread =
                        std::max(spread, std::abs(pixels[y * 64 + x][c] - pixels[20 * 64 + 20][c]));
                }
            }
        }
        if (degrees < 0) {
            EXPECT_LE(spread, 1);
        } else {
            EXPECT_GT(spread, 40);
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
