// The meshes built from constant tables, the cube and the ground, in a
// hidden context: what they upload, what they leave bound, what they draw
// and what they delete.
#include "app/scene.h"
#include "scene/cube.h"
#include "scene/terrain.h"
#include "support/gl_context.h"
#include "support/offscreen_target.h"
#include "support/test_shader.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

using orvane::ShaderProgram;
using orvane::scene::Cube;
using orvane::scene::FixedMesh;
using orvane::scene::SceneObject;
using orvane::scene::Terrain;
using orvane::test::makeShaderProgram;
using orvane::test::OffscreenTarget;

// Every fragment adds 64 to each channel, so a pixel tells how many
// triangles cover it.
const char* layerVertexShader = R"(#version 330 core
in vec3 position;
uniform mat4 modelMatrix;
void main() { gl_Position = modelMatrix * vec4(position, 1.0); }
)";
const char* layerFragmentShader = R"(#version 330 core
out vec4 fragcolor;
void main() { fragcolor = vec4(64.0 / 255.0); }
)";

// The three inputs at locations other than the shipped pair's, so only a
// look-up by name finds them.
const char* reorderedVertexShader = R"(#version 330 core
layout(location = 0) in vec2 uv;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec3 position;
out vec3 colour;
void main() {
    colour = vec3(uv, 0.0) + normal;
    gl_Position = vec4(position, 1.0);
}
)";
const char* colourFragmentShader = R"(#version 330 core
in vec3 colour;
out vec4 fragcolor;
void main() { fragcolor = vec4(colour, 1.0); }
)";

const char* withoutNormalVertexShader = R"(#version 330 core
in vec3 position;
in vec2 uv;
uniform mat4 modelMatrix;
out vec3 colour;
void main() {
    colour = vec3(uv, 0.0);
    gl_Position = modelMatrix * vec4(position, 1.0);
}
)";

struct MeshKind {
    const char* name;
    std::function<std::unique_ptr<FixedMesh>()> make;
    GLint vertexCount;
    GLint indexCount;
    // Puts the whole mesh inside the clip volume, seen from a side where a
    // missing triangle leaves a hole.
    glm::mat4 view;
    // How many surfaces each covered pixel lies behind: a closed mesh has two.
    int layers;
};

glm::mat4 cubeView() {
    glm::mat4 view = glm::scale(glm::mat4(1.0f), glm::vec3(0.8f));
    view = glm::rotate(view, glm::radians(30.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    return glm::rotate(view, glm::radians(40.0f), glm::vec3(0.0f, 1.0f, 0.0f));
}

glm::mat4 terrainView() {
    // From above: world x to the right, world -z up, the square at 80 %.
    const glm::mat4 view = glm::scale(glm::mat4(1.0f), glm::vec3(0.04f));
    return glm::rotate(view, glm::radians(90.0f), glm::vec3(1.0f, 0.0f, 0.0f));
}

const MeshKind meshKinds[] = {
    {"Cube", [] { return std::make_unique<Cube>(glm::mat4(1.0f)); }, 24, 36, cubeView(), 2},
    {"Terrain", [] { return std::make_unique<Terrain>(glm::mat4(1.0f)); }, 4, 6, terrainView(), 1},
};

// The area a mesh covers in clip space, seen through view: each face's area
// times how much of it faces the screen.
float projectedArea(const FixedMesh& mesh, const MeshKind& kind) {
    std::vector<GLfloat> positions(static_cast<size_t>(kind.vertexCount) * 3);
    std::vector<GLuint> indices(static_cast<size_t>(kind.indexCount));
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(positions.size() * 4),
                       positions.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_COPY_READ_BUFFER, mesh.indexBuffer);
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, static_cast<GLsizeiptr>(indices.size() * 4),
                       indices.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    float area = 0.0f;
    for (size_t i = 0; i < indices.size(); i += 3) {
        glm::vec2 corner[3];
        for (size_t k = 0; k < 3; ++k) {
            const GLfloat* p = &positions[indices[i + k] * 3];
            corner[k] = glm::vec2(kind.view * glm::vec4(p[0], p[1], p[2], 1.0f));
        }
        const glm::vec2 a = corner[1] - corner[0];
        const glm::vec2 b = corner[2] - corner[0];
        area += std::fabs(a.x * b.y - a.y * b.x) / 2.0f;
    }
    return area;
}

GLint bufferSize(GLenum target, GLuint buffer) {
    GLint size = 0;
    glBindBuffer(target, buffer);
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    glBindBuffer(target, 0);
    return size;
}

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

class FixedMeshTest : public ::testing::TestWithParam<MeshKind> {
protected:
    void SetUp() override { ASSERT_TRUE(orvane::test::ensureGlContext()); }
    void TearDown() override {
        orvane::theScene.shaderProgram = nullptr;
        glUseProgram(0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDisable(GL_BLEND);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    void useShader(const char* vertex, const char* fragment) {
        shader = makeShaderProgram(vertex, fragment);
        orvane::theScene.shaderProgram = shader.get();
    }

    std::unique_ptr<ShaderProgram> shader;
};

TEST_P(FixedMeshTest, ConstructionUploadsTheWholeTablesAndLeavesNothingBound) {
    useShader(reorderedVertexShader, colourFragmentShader);
    const auto mesh = GetParam().make();
    EXPECT_EQ(integer(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(integer(GL_ARRAY_BUFFER_BINDING), 0);
    EXPECT_EQ(integer(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
    EXPECT_EQ(mesh->shader, shader.get());
    const GLint vertices = GetParam().vertexCount;
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, mesh->vertexBuffer), 12 * vertices);
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, mesh->normalBuffer), 12 * vertices);
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, mesh->uvBuffer), 8 * vertices);
    EXPECT_EQ(bufferSize(GL_ELEMENT_ARRAY_BUFFER, mesh->indexBuffer), 4 * GetParam().indexCount);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

struct AttributeBinding {
    GLuint location;
    GLuint FixedMesh::*buffer;
    GLint components;
};

TEST_P(FixedMeshTest, EachInputIsFedFromItsOwnBufferWhereverTheShaderPutsIt) {
    useShader(reorderedVertexShader, colourFragmentShader);
    const auto mesh = GetParam().make();
    const AttributeBinding bindings[] = {
        {0, &FixedMesh::uvBuffer, 2},
        {1, &FixedMesh::normalBuffer, 3},
        {2, &FixedMesh::vertexBuffer, 3},
    };
    glBindVertexArray(mesh->vao);
    for (const AttributeBinding& binding : bindings) {
        SCOPED_TRACE(binding.location);
        GLint value = 0;
        glGetVertexAttribiv(binding.location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &value);
        EXPECT_EQ(value, GL_TRUE);
        glGetVertexAttribiv(binding.location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &value);
        EXPECT_EQ(static_cast<GLuint>(value), (*mesh).*binding.buffer);
        glGetVertexAttribiv(binding.location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &value);
        EXPECT_EQ(value, binding.components);
        glGetVertexAttribiv(binding.location, GL_VERTEX_ATTRIB_ARRAY_TYPE, &value);
        EXPECT_EQ(value, GL_FLOAT);
        glGetVertexAttribiv(binding.location, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &value);
        EXPECT_EQ(value, 0);
    }
    EXPECT_EQ(static_cast<GLuint>(integer(GL_ELEMENT_ARRAY_BUFFER_BINDING)), mesh->indexBuffer);
    glBindVertexArray(0);
}

TEST_P(FixedMeshTest, DrawingTheVertexArrayAloneDrawsTheWholeMeshAndUnbindsIt) {
    useShader(layerVertexShader, layerFragmentShader);
    const MeshKind& kind = GetParam();
    const auto mesh = kind.make();
    OffscreenTarget target(128);
    ASSERT_TRUE(target.complete());
    target.bindAndClear();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glUseProgram(shader->program);
    glUniformMatrix4fv(glGetUniformLocation(shader->program, "modelMatrix"), 1, GL_FALSE,
                       glm::value_ptr(kind.view));
    GLuint other = 0;
    glGenVertexArrays(1, &other);
    glBindVertexArray(other);
    mesh->draw();
    EXPECT_EQ(integer(GL_VERTEX_ARRAY_BINDING), 0);
    glDeleteVertexArrays(1, &other);
    glDisable(GL_BLEND);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    int covered = 0;
    int wrongDepth = 0;
    for (const auto& pixel : target.readPixels()) {
        if (pixel[0] != 0) {
            ++covered;
            wrongDepth += pixel[0] != 64 * kind.layers;
        }
    }
    EXPECT_EQ(wrongDepth, 0) << "pixels not covered exactly " << kind.layers << " times";
    // Clip space spans 2 units over the target's 128 pixels.
    const float expected = projectedArea(*mesh, kind) / kind.layers * 64.0f * 64.0f;
    EXPECT_NEAR(covered, expected, expected * 0.03f);
}

TEST_P(FixedMeshTest, DestroyingThroughTheBaseDeletesExactlyItsOwnNames) {
    useShader(reorderedVertexShader, colourFragmentShader);
    std::unique_ptr<SceneObject> doomed = GetParam().make();
    const auto neighbour = GetParam().make();
    const auto& mesh = dynamic_cast<const FixedMesh&>(*doomed);
    const GLuint buffers[] = {mesh.vertexBuffer, mesh.indexBuffer, mesh.normalBuffer,
                              mesh.uvBuffer};
    const GLuint vao = mesh.vao;
    for (GLuint buffer : buffers) {
        ASSERT_TRUE(glIsBuffer(buffer));
    }
    ASSERT_TRUE(glIsVertexArray(vao));

    doomed.reset();

    for (GLuint buffer : buffers) {
        EXPECT_FALSE(glIsBuffer(buffer)) << buffer;
    }
    EXPECT_FALSE(glIsVertexArray(vao));
    for (GLuint buffer : {neighbour->vertexBuffer, neighbour->indexBuffer, neighbour->normalBuffer,
                          neighbour->uvBuffer}) {
        EXPECT_TRUE(glIsBuffer(buffer)) << buffer;
    }
    EXPECT_TRUE(glIsVertexArray(neighbour->vao));
    EXPECT_TRUE(glIsProgram(shader->program));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_P(FixedMeshTest, ShaderWithoutNormalStillConstructsAndDraws) {
    useShader(withoutNormalVertexShader, colourFragmentShader);
    ASSERT_EQ(glGetAttribLocation(shader->program, "normal"), -1);
    const MeshKind& kind = GetParam();
    const auto mesh = kind.make();
    OffscreenTarget target(64);
    ASSERT_TRUE(target.complete());
    target.bindAndClear(0.0f, 0.0f, 1.0f);
    glDisable(GL_DEPTH_TEST);
    glUseProgram(shader->program);
    glUniformMatrix4fv(glGetUniformLocation(shader->program, "modelMatrix"), 1, GL_FALSE,
                       glm::value_ptr(kind.view));
    mesh->draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    int drawn = 0;
    int coloured = 0;
    for (const auto& pixel : target.readPixels()) {
        drawn += pixel[2] == 0;
        coloured += pixel[2] == 0 && pixel[0] + pixel[1] > 0;
    }
    EXPECT_GT(drawn, 64 * 64 / 4);
    // The colour comes from the texture coordinates, which still arrive.
    EXPECT_GT(coloured, drawn / 2);
}

INSTANTIATE_TEST_SUITE_P(Meshes, FixedMeshTest, ::testing::ValuesIn(meshKinds),
                         [](const ::testing::TestParamInfo<MeshKind>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
