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

} // namespace orvane::test
