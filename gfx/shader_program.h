// The one program everything in the scene is drawn with, built from a
// vertex and a fragment shader file. Building either succeeds or ends the
// process with a message.
#pragma once

#include "gfx/gl.h"

#include <string>

namespace orvane {

class ShaderProgram {
public:
    ShaderProgram(const std::string& vertexPath, const std::string& fragmentPath);
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    GLuint program = 0;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;

private:
    void loadShader(const std::string& path, GLenum type, GLuint& shader);
    void link();
};

} // namespace orvane
