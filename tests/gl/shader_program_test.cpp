// The shader program built from real files in a hidden context.
#include "gfx/shader_program.h"
#include "support/gl_context.h"
#include "support/viewer.h"

#include <gtest/gtest.h>

namespace {

using orvane::ShaderProgram;
using orvane::test::sourcePath;

GLint programParameter(GLuint program, GLenum name) {
    GLint value = 0;
    glGetProgramiv(program, name, &value);
    return value;
}

TEST(ShaderProgram, ShippedPairBuildsLinksAndOffersTheWholeInterface) {
    ASSERT_TRUE(orvane::test::ensureGlContext());
    ShaderProgram shader(sourcePath("Shader/shader.vert").string(),
                         sourcePath("Shader/shader.frag").string());
    EXPECT_NE(shader.program, 0u);
    EXPECT_NE(shader.vertexShader, 0u);
    EXPECT_NE(shader.fragmentShader, 0u);
    EXPECT_EQ(programParameter(shader.program, GL_LINK_STATUS), GL_TRUE);
    EXPECT_EQ(programParameter(shader.program, GL_ATTACHED_SHADERS), 2);

    // The imported model feeds its attributes by number without a look-up.
    EXPECT_EQ(glGetAttribLocation(shader.program, "position"), 0);
    EXPECT_EQ(glGetAttribLocation(shader.program, "uv"), 1);
    EXPECT_EQ(glGetAttribLocation(shader.program, "normal"), 2);
    for (const char* uniform : {"projectionMatrix", "viewMatrix", "modelMatrix", "colorTexture"}) {
        EXPECT_GE(glGetUniformLocation(shader.program, uniform), 0) << uniform;
    }
    EXPECT_EQ(glGetFragDataLocation(shader.program, "fragcolor"), 0);
}

TEST(ShaderProgram, DestroyingDeletesTheProgramAndBothShaders) {
    ASSERT_TRUE(orvane::test::ensureGlContext());
    GLuint program = 0;
    GLuint vertex = 0;
    GLuint fragment = 0;
    {
        ShaderProgram shader(sourcePath("Shader/shader.vert").string(),
                             sourcePath("Shader/shader.frag").string());
        program = shader.program;
        vertex = shader.vertexShader;
        fragment = shader.fragmentShader;
    }
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_FALSE(glIsShader(vertex));
    EXPECT_FALSE(glIsShader(fragment));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
