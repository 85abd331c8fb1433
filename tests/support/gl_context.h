// One hidden OpenGL 3.3 core context per test program, opened as the viewer's.
#pragma once

#include "app/frame_loop.h"
#include "files/decoder.h"
#include "gfx/gl.h"
#include "window/window.h"

#include <cstdlib>

namespace orvane::test {

// The oldest queued error; the queue is empty afterwards.
inline GLenum takeGlError() {
    const GLenum first = glGetError();
    while (glGetError() != GL_NO_ERROR) {
    }
    return first;
}

// Opens the context on first use, with the decoder of this build, as the
// viewer would have it beside itself; false when the display has no context.
inline bool ensureGlContext() {
    static const bool ready = [] {
        files::decoderSettings().executable = ORVANE_DECODER_PATH;
        const bool opened = openWindowAndContext(false) == StartupFailure::None;
        if (opened) {
            std::atexit(window::terminate);
            takeGlError();
        }
        return opened;
    }();
    return ready;
}

inline GLint glInteger(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

} // namespace orvane::test
