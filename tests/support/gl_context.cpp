#include "support/gl_context.h"

#include "app/frame_loop.h"
#include "window/window.h"

#include <cstdlib>

namespace orvane::test {

bool ensureGlContext() {
    static const bool ready = [] {
        const bool opened = openWindowAndContext(false) == StartupFailure::None;
        if (opened) {
            std::atexit(window::terminate);
            takeGlError();
        }
        return opened;
    }();
    return ready;
}

GLenum takeGlError() {
    const GLenum first = glGetError();
    while (glGetError() != GL_NO_ERROR) {
    }
    return first;
}

GLint glInteger(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

GLint bufferBytes(GLuint buffer) {
    GLint size = -1;
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return size;
}

} // namespace orvane::test
