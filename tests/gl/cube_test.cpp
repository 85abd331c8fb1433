// The cube in a hidden context: its rotating flag and its one-colour side.
#include "app/scene.h"
#include "scene/cube.h"
#include "support/gl_context.h"
#include "support/offscreen_target.h"
#include "support/test_shader.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

using orvane::scene::Cube;

bool sameBits(const glm::mat4& a, const glm::mat4& b) {
    return std::memcmp(&a, &b, sizeof(glm::mat4)) == 0;
}

class CubeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(orvane::test::ensureGlContext());
        shader = orvane::test::makeShippedShaderProgram();
        orvane::theScene.shaderProgram = shader.get();
    }
    void TearDown() override {
        orvane::theScene.shaderProgram = nullptr;
        glUseProgram(0);
    }

    std::unique_ptr<orvane::ShaderProgram> shader;
};

TEST_F(CubeTest, StandsBitForBitStillUntilRotatingIsSet) {
    glm::mat4 start = glm::translate(glm::mat4(1.0f), glm::vec3(1.0f, 2.0f, 3.0f));
    start = glm::rotate(start, glm::radians(17.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    Cube cube(start);
    EXPECT_FALSE(cube.rotating);
    for (double dt : {0.016, 0.0, 1.0, 250.0, -0.5}) {
        cube.update(dt);
    }
    EXPECT_TRUE(sameBits(cube.modelMatrix, start));

    cube.rotating = true;
    cube.update(0.0);
    EXPECT_TRUE(sameBits(cube.modelMatrix, start));
    cube.update(0.9);
    EXPECT_TRUE(sameBits(cube.modelMatrix, orvane::scene::turnedCubeMatrix(start, 0.9)));
    EXPECT_FALSE(sameBits(cube.modelMatrix, start));
}

// A texture whose every texel differs from its neighbours.
GLuint makeVariedTexture() {
    unsigned char texels[16 * 16 * 3];
    for (int i = 0; i < 16 * 16; ++i) {
        texels[i * 3] = static_cast<unsigned char>((i % 16) * 16);
        texels[i * 3 + 1] = static_cast<unsigned char>((i / 16) * 16);
        texels[i * 3 + 2] = static_cast<unsigned char>(255 - (i % 16) * 16);
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 16, 16, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

// The largest difference of any channel between two pixels in the middle of
// the face turned towards the viewer.
int spreadOfFacingSide(float degreesAboutY, GLuint program) {
    Cube cube(glm::mat4(1.0f));
    orvane::test::OffscreenTarget target(64);
    target.bindAndClear();
    glEnable(GL_DEPTH_TEST);
    glUseProgram(program);
    const glm::mat4 identity(1.0f);
    glm::mat4 model = glm::scale(identity, glm::vec3(1.2f));
    model = glm::rotate(model, glm::radians(degreesAboutY), glm::vec3(0.0f, 1.0f, 0.0f));
    for (const char* name : {"projectionMatrix", "viewMatrix"}) {
        glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE,
                           glm::value_ptr(identity));
    }
    glUniformMatrix4fv(glGetUniformLocation(program, "modelMatrix"), 1, GL_FALSE,
                       glm::value_ptr(model));
    glUniform1i(glGetUniformLocation(program, "colorTexture"), 0);
    cube.draw();
    glDisable(GL_DEPTH_TEST);
    const auto pixels = target.readPixels();
    int spread = 0;
    const auto& first = pixels[20 * 64 + 20];
    for (int y = 20; y < 44; ++y) {
        for (int x = 20; x < 44; ++x) {
            for (int c = 0; c < 3; ++c) {
                spread = std::max(spread, std::abs(pixels[y * 64 + x][c] - first[c]));
            }
        }
    }
    return spread;
}

TEST_F(CubeTest, MinusXSideShowsOneColourWhereOtherSidesShowTheImage) {
    const GLuint texture = makeVariedTexture();
    // Turned -90 degrees about y the -x side faces the viewer, turned +90 the +x side.
    EXPECT_LE(spreadOfFacingSide(-90.0f, shader->program), 1);
    EXPECT_GT(spreadOfFacingSide(90.0f, shader->program), 40);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteTextures(1, &texture);
}

} // namespace
