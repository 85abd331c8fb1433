// The flyer in a hidden context: its tables as uploaded, its place before
// and after an update, and the dart it draws in front of the camera.
#include "app/scene.h"
#include "camera/camera.h"
#include "scene/flieger.h"
#include "support/gl_context.h"
#include "support/offscreen_target.h"
#include "support/test_shader.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using orvane::Camera;
using orvane::Scene;
using orvane::ShaderProgram;
using orvane::theScene;
using orvane::scene::Flieger;
using orvane::scene::fliegerEyeMatrix;
using orvane::test::OffscreenTarget;

const GLfloat expectedPositions[] = {
    -0.05f, 0.0f,   -1.0f, -0.5f, 0.0f, -1.0f, 0.0f,  0.0f, 1.0f, 0.5f, 0.0f,  -1.0f, 0.05f, 0.0f,
    -1.0f,  -0.05f, 0.0f,  -1.0f, 0.0f, -0.5f, -1.0f, 0.0f, 0.0f, 1.0f, 0.05f, 0.0f,  -1.0f,
};
const GLfloat expectedNormals[] = {
    0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0,
};
const GLfloat expectedUvs[] = {1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 1, 0, 1, 1, 0, 1, 1, 0};
const GLuint expectedIndices[] = {0, 1, 2, 2, 3, 4, 5, 6, 7, 6, 7, 8};

template <typename T, size_t N> std::vector<T> readBuffer(GLuint buffer, const T (&)[N]) {
    std::vector<T> data(N);
    GLint size = 0;
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, static_cast<GLint>(sizeof(T) * N));
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, static_cast<GLsizeiptr>(sizeof(T) * N), data.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return data;
}

template <typename T, size_t N> std::vector<T> asVector(const T (&table)[N]) {
    return std::vector<T>(table, table + N);
}

bool sameBits(const glm::mat4& a, const glm::mat4& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected) {
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            EXPECT_NEAR(actual[column][row], expected[column][row], 1e-4f);
        }
    }
}

class FliegerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(orvane::test::ensureGlContext());
        saved = theScene;
        program = orvane::test::makeShippedShaderProgram();
        theScene.shaderProgram = program.get();
        theScene.camera = &camera;
    }
    void TearDown() override {
        theScene = saved;
        if (!orvane::test::ensureGlContext()) {
            return;
        }
        glUseProgram(0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    Scene saved;
    Camera camera;
    std::unique_ptr<ShaderProgram> program;
};

const glm::mat4 setUpPlace = glm::translate(glm::mat4(1.0f), glm::vec3(4.0f, 5.0f, 0.0f));

TEST_F(FliegerTest, UploadsTheDartTablesWhole) {
    const Flieger flieger(setUpPlace);
    EXPECT_EQ(readBuffer(flieger.vertexBuffer, expectedPositions), asVector(expectedPositions));
    EXPECT_EQ(readBuffer(flieger.normalBuffer, expectedNormals), asVector(expectedNormals));
    EXPECT_EQ(readBuffer(flieger.uvBuffer, expectedUvs), asVector(expectedUvs));
    EXPECT_EQ(readBuffer(flieger.indexBuffer, expectedIndices), asVector(expectedIndices));

    GLint elementBuffer = 0;
    glBindVertexArray(flieger.vao);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
    glBindVertexArray(0);
    EXPECT_EQ(static_cast<GLuint>(elementBuffer), flieger.indexBuffer);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FliegerTest, HoldsItsSetUpPlaceUntilTheFirstUpdate) {
    const Flieger flieger(setUpPlace);
    EXPECT_TRUE(sameBits(flieger.modelMatrix, setUpPlace));
    EXPECT_EQ(flieger.camera, &camera);
    EXPECT_EQ(flieger.shader, program.get());
}

TEST_F(FliegerTest, EachUpdateFollowsTheCamerasCurrentView) {
    Flieger flieger(setUpPlace);
    const glm::mat4 views[] = {
        glm::mat4(1.0f),
        glm::lookAt(glm::vec3(1.0f, 5.0f, 1.0f), glm::vec3(1.0f, 4.2f, 0.4f),
                    glm::vec3(0.0f, 0.6f, -0.8f)),
        glm::lookAt(glm::vec3(-7.0f, 2.0f, 12.0f), glm::vec3(-6.5f, 2.3f, 11.2f),
                    glm::vec3(0.1f, 1.0f, 0.2f)),
    };
    for (const glm::mat4& view : views) {
        camera.viewMatrix = view;
        flieger.update(0.02);
        expectMatrixNear(camera.viewMatrix * flieger.modelMatrix, fliegerEyeMatrix());
    }
}

TEST_F(FliegerTest, TheFrameTimePlaysNoPart) {
    camera.viewMatrix = glm::lookAt(glm::vec3(3.0f, 4.0f, -2.0f), glm::vec3(2.0f, 3.5f, -2.5f),
                                    glm::vec3(0.0f, 1.0f, 0.0f));
    Flieger flieger(setUpPlace);
    flieger.update(0.016);
    const glm::mat4 first = flieger.modelMatrix;
    flieger.update(3.5);
    EXPECT_TRUE(sameBits(flieger.modelMatrix, first));
    flieger.update(0.0);
    EXPECT_TRUE(sameBits(flieger.modelMatrix, first));
}

// Seen through the scene's shader from an identity view, the dart fills the
// lower middle of the picture and leaves the middle above its nose empty.
TEST_F(FliegerTest, DrawsTheDartBelowAndAheadOfTheEye) {
    const int size = 128;
    OffscreenTarget target(size);
    ASSERT_TRUE(target.complete());
    Flieger flieger(setUpPlace);
    flieger.update(0.0);

    const GLuint shader = program->program;
    glUseProgram(shader);
    const glm::mat4 projection = glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 20.0f);
    glUniformMatrix4fv(glGetUniformLocation(shader, "projectionMatrix"), 1, GL_FALSE,
                       glm::value_ptr(projection));
    glUniformMatrix4fv(glGetUniformLocation(shader, "viewMatrix"), 1, GL_FALSE,
                       glm::value_ptr(camera.viewMatrix));
    glUniformMatrix4fv(glGetUniformLocation(shader, "modelMatrix"), 1, GL_FALSE,
                       glm::value_ptr(flieger.modelMatrix));
    glEnable(GL_DEPTH_TEST);
    target.bindAndClear(0.0f, 0.0f, 1.0f);
    flieger.draw();
    glDisable(GL_DEPTH_TEST);

    GLint vertexArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(vertexArray, 0);
    const auto pixels = target.readPixels();
    // From the bottom left; the texture unit is empty, so the dart is black.
    const auto isCleared = [&](double x, double y) {
        const auto& pixel =
            pixels[static_cast<size_t>(y * size) * size + static_cast<size_t>(x * size)];
        return pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 255;
    };
    // The wings halfway back, about 0.24 to either side and 0.48 below the centre.
    EXPECT_FALSE(isCleared(0.38, 0.26));
    EXPECT_FALSE(isCleared(0.62, 0.26));
    EXPECT_TRUE(isCleared(0.5, 0.5));
    EXPECT_TRUE(isCleared(0.5, 0.4));
    EXPECT_TRUE(isCleared(0.1, 0.26));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
