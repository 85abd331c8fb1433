// Reading, compiling and linking the two shader files; every failure ends
// the process with its message.
#include "gfx/shader_program.h"

#include "platform/platform.h"
#include "util/fatal_error.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace orvane {
namespace {

// Works for shaders and programs alike, given their two query functions. A
// reported length of 0 still yields an empty, terminated text rather than
// whatever the buffer happened to hold.
template <typename GetParameter, typename GetLog>
std::string infoLog(GLuint object, GetParameter getParameter, GetLog getLog) {
    GLint length = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1), '\0');
    getLog(object, static_cast<GLsizei>(log.size()), nullptr, log.data());
    return std::string(log.data());
}

} // namespace

ShaderProgram::ShaderProgram(const std::string& vertexPath, const std::string& fragmentPath) {
    program = glCreateProgram();
    if (program == 0) {
        fatalError("Couldn't obtain program Handle");
    }
    loadShader(vertexPath, GL_VERTEX_SHADER, vertexShader);
    loadShader(fragmentPath, GL_FRAGMENT_SHADER, fragmentShader);
    link();
}

ShaderProgram::~ShaderProgram() {
    glDeleteProgram(program);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
}

void ShaderProgram::loadShader(const std::string& path, GLenum type, GLuint& shader) {
    std::ifstream file(path);
    if (!file.good()) {
        fatalError("Failed to open shader file: " + path);
    }
    const std::string source = platform::shaderSource(
        std::string{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()});
    file.close();

    shader = glCreateShader(type);
    if (shader == 0) {
        fatalError("Failed to create shader");
    }
    const GLchar* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);

    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == GL_FALSE || glIsShader(shader) == GL_FALSE) {
        fatalError("Failed to compile shader", infoLog(shader, glGetShaderiv, glGetShaderInfoLog));
    }
}

void ShaderProgram::link() {
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    platform::bindFragmentOutput(program, "fragcolor");
    glLinkProgram(program);

    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == GL_FALSE) {
        fatalError("Failed to link shader program",
                   infoLog(program, glGetProgramiv, glGetProgramInfoLog));
    }
}

} // namespace orvane
