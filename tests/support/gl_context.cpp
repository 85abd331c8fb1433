#include "support/gl_context.h"

#include "app/gl_entry_points.h"
#include "gfx/gl.h"
#include "window/window.h"

#include <cstdlib>
#include <iostream>

namespace orvane::test {
namespace {

bool openContext() {
    if (std::getenv("DISPLAY") == nullptr) {
        std::cout << "no DISPLAY: GL tests need one (make test starts a virtual display)"
                  << std::endl;
        return false;
    }
    if (!window::init()) {
        std::cout << "the window system did not start" << std::endl;
        return false;
    }
    window::hintCoreProfile33();
    if (!window::openWindow(1280, 768, false)) {
        std::cout << "no OpenGL 3.3 core context" << std::endl;
        return false;
    }
    if (glewInit() != GLEW_OK) {
        std::cout << "glewInit failed" << std::endl;
        return false;
    }
    fetchEntryPoints();
    while (glGetError() != GL_NO_ERROR) {
    }
    std::atexit(window::terminate);
    return true;
}

} // namespace

bool ensureGlContext() {
    static const bool ready = openContext();
    return ready;
}

} // namespace orvane::test
