// The desktop: an OpenGL 3.3 core context through GLEW, GLSL 3.30 as the
// shader files are written, and a frame loop of the program's own.
#include "platform/platform.h"

// GLEW's header itself, as gfx/gl.h gives it: this folder sits below gfx/.
#include <GL/glew.h>

namespace orvane::platform {

// The vertex arrays and the mipmaps go through these four; what the window
// system hands back replaces what glewInit stored, null or not.
bool loadOpenGL(ProcAddress (*lookup)(const char* name)) {
    if (glewInit() != GLEW_OK) {
        return false;
    }
    __glewGenVertexArrays = reinterpret_cast<PFNGLGENVERTEXARRAYSPROC>(lookup("glGenVertexArrays"));
    __glewBindVertexArray = reinterpret_cast<PFNGLBINDVERTEXARRAYPROC>(lookup("glBindVertexArray"));
    __glewDeleteVertexArrays =
        reinterpret_cast<PFNGLDELETEVERTEXARRAYSPROC>(lookup("glDeleteVertexArrays"));
    __glewGenerateMipmap = reinterpret_cast<PFNGLGENERATEMIPMAPPROC>(lookup("glGenerateMipmap"));
    return true;
}

std::string shaderSource(const std::string& fileText) {
    return fileText;
}

void bindFragmentOutput(unsigned program, const char* name) {
    glBindFragDataLocation(program, 0, name);
}

void runFrames(bool (*frame)(), void (*finish)()) {
    while (frame()) {
    }
    finish();
}

} // namespace orvane::platform
