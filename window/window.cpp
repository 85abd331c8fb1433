// The windowing operations the viewer uses, on top of GLFW 3.
#include "window/window.h"

#include <GLFW/glfw3.h>

#include <cmath>
#include <initializer_list>

namespace orvane::window {
namespace {

GLFWwindow* theWindow = nullptr;

// The three keys the viewer reads, each pressed since it was last read.
bool pressedSinceRead[3] = {};

struct Point {
    double x = 0.0;
    double y = 0.0;
};

// The reported mouse position is where it was last put plus the movement
// since; the movement comes from GLFW's cursor, as it was last reported.
Point anchor;
Point moved;
Point lastCursor;

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

// Events are processed only between frames, and the first frame comes after
// a long set-up: a key pressed and released in between must still read as
// pressed once, or a quick Escape would go unseen. GLFW's sticky keys do
// that on the desktop but not in a browser; this does it on both.
void keepPresses(GLFWwindow*, int key, int, int action, int) {
    for (const Key ours : {Key::Escape, Key::Up, Key::Down}) {
        if (action == GLFW_PRESS && key == glfwKey(ours)) {
            pressedSinceRead[static_cast<int>(ours)] = true;
        }
    }
}

// Only the movement made while the cursor is held counts: a browser holds it
// (under pointer lock) only from a click on, and reports its own cursor,
// which it never lets the program move, until then.
void sumMovement(GLFWwindow* window, double x, double y) {
    if (glfwGetInputMode(window, GLFW_CURSOR) == GLFW_CURSOR_DISABLED) {
        moved = {moved.x + x - lastCursor.x, moved.y + y - lastCursor.y};
    }
    lastCursor = {x, y};
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
    // The clear colour's alpha is 0: with an alpha channel, a browser would
    // show the page through the picture.
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
}

bool openWindow(int width, int height, bool visible) {
    glfwWindowHint(GLFW_VISIBLE, visible ? GLFW_TRUE : GLFW_FALSE);
    theWindow = glfwCreateWindow(width, height, "", nullptr, nullptr);
    if (theWindow == nullptr) {
        return false;
    }
    glfwMakeContextCurrent(theWindow);
    glfwSetKeyCallback(theWindow, keepPresses);
    glfwGetCursorPos(theWindow, &lastCursor.x, &lastCursor.y);
    glfwSetCursorPosCallback(theWindow, sumMovement);
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
    bool& pressed = pressedSinceRead[static_cast<int>(key)];
    const bool down = pressed || glfwGetKey(theWindow, glfwKey(key)) == GLFW_PRESS;
    pressed = false;
    return down;
}

void getMousePos(int& x, int& y) {
    x = static_cast<int>(std::floor(anchor.x + moved.x));
    y = static_cast<int>(std::floor(anchor.y + moved.y));
}

// Moves only the reported position, as GLFW 2.7 did with the cursor disabled;
// the pointer itself stays held where it is.
void setMousePos(int x, int y) {
    anchor = {static_cast<double>(x), static_cast<double>(y)};
    moved = {};
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

// Movement while a file loads is dropped: the first frame, whose dt is the
// whole set-up, would turn the view by all of it at once.
void processEvents() {
    const Point kept{anchor.x + moved.x, anchor.y + moved.y};
    glfwPollEvents();
    anchor = kept;
    moved = {};
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
