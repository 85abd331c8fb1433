// The windowing operations the viewer uses, on top of GLFW 3.
#include "window/window.h"

#include <GLFW/glfw3.h>

#include <cmath>

namespace orvane::window {
namespace {

GLFWwindow* theWindow = nullptr;

int glfwKey(Key key) {
    switch (key) {
    case Key::Escape:
        return GLFW_KEY_ESCAPE;
    case Key::Up:
        return GLFW_KEY_UP;
    case Key::Down:
        return GLFW_KEY_DOWN;
    }
    return GLFW_KEY_UNKNOWN;
}

} // namespace

bool init() {
    return glfwInit() == GLFW_TRUE;
}

void hintCoreProfile33() {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    // macOS gives a 3.3 core context only when it is asked for as forward
    // compatible; elsewhere a core profile has nothing more to drop.
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    // Depth testing is on for the whole run, so a depth buffer is not optional.
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
}

bool openWindow(int width, int height, bool visible) {
    glfwWindowHint(GLFW_VISIBLE, visible ? GLFW_TRUE : GLFW_FALSE);
    theWindow = glfwCreateWindow(width, height, "", nullptr, nullptr);
    if (theWindow == nullptr) {
        return false;
    }
    glfwMakeContextCurrent(theWindow);
    // Events are processed only between frames, and the first frame comes
    // after a long set-up: a key pressed and released in between must still
    // read as pressed once, or a quick Escape would go unseen.
    glfwSetInputMode(theWindow, GLFW_STICKY_KEYS, GLFW_TRUE);
    return true;
}

void setTitle(const char* title) {
    glfwSetWindowTitle(theWindow, title);
}

ProcAddress getProcAddress(const char* name) {
    return glfwGetProcAddress(name);
}

void disableCursor() {
    glfwSetInputMode(theWindow, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    // Switching the mode on X11 leaves a motion event queued; centring before
    // it is processed would let it through as one spurious turn.
    glfwPollEvents();
    int width = 0;
    int height = 0;
    getWindowSize(width, height);
    setMousePos(width / 2, height / 2);
}

double getTime() {
    return glfwGetTime();
}

bool isKeyDown(Key key) {
    return glfwGetKey(theWindow, glfwKey(key)) == GLFW_PRESS;
}

void getMousePos(int& x, int& y) {
    double fx = 0.0;
    double fy = 0.0;
    glfwGetCursorPos(theWindow, &fx, &fy);
    x = static_cast<int>(std::floor(fx));
    y = static_cast<int>(std::floor(fy));
}

void setMousePos(int x, int y) {
    glfwSetCursorPos(theWindow, x, y);
}

void getWindowSize(int& width, int& height) {
    glfwGetWindowSize(theWindow, &width, &height);
}

void setWindowSize(int width, int height) {
    glfwSetWindowSize(theWindow, width, height);
}

void getFramebufferSize(int& width, int& height) {
    glfwGetFramebufferSize(theWindow, &width, &height);
}

void swapBuffers() {
    glfwSwapBuffers(theWindow);
    glfwPollEvents();
}

void processEvents() {
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(theWindow, &x, &y);
    glfwPollEvents();
    glfwSetCursorPos(theWindow, x, y);
}

void requestClose() {
    glfwSetWindowShouldClose(theWindow, GLFW_TRUE);
}

// A close request only marks the window; it and its context stay until
// terminate, so the teardown after the loop still has a context to release into.
bool isOpen() {
    return theWindow != nullptr && glfwWindowShouldClose(theWindow) == GLFW_FALSE;
}

void terminate() {
    glfwTerminate();
    theWindow = nullptr;
}

} // namespace orvane::window
