// Start-up, the frame and shutdown in the viewer's fixed order.
#include "app/frame_loop.h"

#include "app/scene.h"
#include "app/viewport.h"
#include "files/decoder.h"
#include "gfx/gl.h"
#include "platform/platform.h"
#include "window/window.h"

#include <algorithm>
#include <cstdint>
#include <iostream>

namespace orvane {
namespace {

constexpr int windowWidth = 1280;
constexpr int windowHeight = 768;

// While a file decodes the window keeps answering, and an Escape or a close
// request then ends the run as it would in a frame: the load is given up,
// and no file is read after it.
bool answerWindow() {
    window::processEvents();
    if (window::isKeyDown(window::Key::Escape)) {
        window::requestClose();
    }
    return window::isOpen();
}

// No image larger than the context can hold is taken.
void limitImagesToTheContext() {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    files::limitImageSide(static_cast<std::uint32_t>(std::max(largest, 1)));
}

} // namespace

const char* failureMessage(StartupFailure failure) {
    switch (failure) {
    case StartupFailure::WindowSystem:
        return "Failed to initialize GLFW";
    case StartupFailure::Window:
        return "Failed to open window";
    case StartupFailure::Glew:
        return "Failed to initialise GLEW";
    case StartupFailure::None:
        break;
    }
    return "";
}

StartupFailure openWindowAndContext(bool visible) {
    if (!window::init()) {
        return StartupFailure::WindowSystem;
    }
    window::hintCoreProfile33();
    if (!window::openWindow(windowWidth, windowHeight, visible)) {
        window::terminate();
        return StartupFailure::Window;
    }
    if (!platform::loadOpenGL(window::getProcAddress)) {
        return StartupFailure::Glew;
    }
    limitImagesToTheContext();
    return StartupFailure::None;
}

void startScene() {
    files::whileWaiting(answerWindow);
    setupScene();
    // Every file is read: the decoder ends.
    files::finishReading();
    glClearColor(0.3f, 0.5f, 1.0f, 0.0f);
    // The window as opened; from the first frame on the viewport follows the
    // framebuffer, whose size the desktop may already have changed.
    glViewport(0, 0, windowWidth, windowHeight);
}

// The viewport follows the framebuffer every frame: tiling, a small screen or
// the user can resize the window, and with display scaling the framebuffer
// has more pixels than the window. Clearing ignores the viewport, so the
// bands beside the picture keep the clear colour.
void updateAndDraw(double dt, int framebufferWidth, int framebufferHeight) {
    const Viewport viewport = fitViewport(framebufferWidth, framebufferHeight);
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    updateScene(dt);
    if (viewport.width > 0 && viewport.height > 0) {
        drawScene();
    }
}

bool runFrame(FrameClock& clock) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const double now = window::getTime();
    const double dt = now - clock.previousFrameTime;
    clock.previousFrameTime = now;
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    window::getFramebufferSize(framebufferWidth, framebufferHeight);
    updateAndDraw(dt, framebufferWidth, framebufferHeight);
    window::swapBuffers();
    const bool running = !window::isKeyDown(window::Key::Escape) && window::isOpen();
    if (glGetError() != GL_NO_ERROR) {
        std::cout << "GL Error" << std::endl;
    }
    return running;
}

void shutDown() {
    teardownScene();
    window::terminate();
}

} // namespace orvane
