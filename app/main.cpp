// The viewer's entry: start-up, the frame loop, shutdown.
#include "app/gl_entry_points.h"
#include "app/scene.h"
#include "gfx/gl.h"
#include "util/fatal_error.h"
#include "window/window.h"

#include <iostream>

namespace {

void startUp() {
    namespace window = orvane::window;
    if (!window::init()) {
        orvane::fatalError("Failed to initialize GLFW");
    }
    window::hintCoreProfile33();
    if (!window::openWindow(1280, 768)) {
        window::terminate();
        orvane::fatalError("Failed to open window");
    }
    if (glewInit() != GLEW_OK) {
        orvane::fatalError("Failed to initialise GLEW");
    }
    orvane::fetchEntryPoints();
    orvane::setupScene();
    glClearColor(0.3f, 0.5f, 1.0f, 0.0f);
    glViewport(0, 0, 1280, 768);
}

void runFrames() {
    namespace window = orvane::window;
    double previousFrameTime = 0.0;
    bool running = true;
    while (running) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const double now = window::getTime();
        const double dt = now - previousFrameTime;
        previousFrameTime = now;
        orvane::updateScene(dt);
        orvane::drawScene();
        window::swapBuffers();
        running = !window::isKeyDown(window::Key::Escape) && window::isOpen();
        if (glGetError() != GL_NO_ERROR) {
            std::cout << "GL Error" << std::endl;
        }
    }
}

} // namespace

int main() {
    startUp();
    runFrames();
    orvane::teardownScene();
    orvane::window::terminate();
    return 0;
}
