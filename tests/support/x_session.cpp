#include "support/x_session.h"

#include "support/wait.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace orvane::test {

// A window can go away between finding it and reading it; that is an answer
// (nothing read), not a reason to end the test program.
XSession::XSession() : display(XOpenDisplay(nullptr)) {
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

XSession::~XSession() {
    if (display != nullptr) {
        XCloseDisplay(display);
    }
}

std::string XSession::name(unsigned long window) const {
    char* text = nullptr;
    std::string result = XFetchName(display, window, &text) != 0 && text != nullptr ? text : "";
    XFree(text);
    return result;
}

unsigned long XSession::waitForWindow(const std::string& wanted, double seconds) const {
    unsigned long found = 0;
    waitUntil(
        [&] {
            Window root = 0;
            Window parent = 0;
            Window* children = nullptr;
            unsigned int count = 0;
            XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
            for (unsigned int i = 0; i < count && found == 0; ++i) {
                found = name(children[i]) == wanted ? children[i] : 0;
            }
            XFree(children);
            return found != 0;
        },
        seconds);
    return found;
}

std::array<int, 2> XSession::size(unsigned long window) const {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    return {attributes.width, attributes.height};
}

// The run's display is 24-bit true colour: 8 bits a channel, red highest.
std::vector<Rgb> XSession::grab(unsigned long window, int x, int y, int width, int height) const {
    std::vector<Rgb> pixels;
    XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    for (int row = 0; image != nullptr && row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const unsigned long pixel = XGetPixel(image, column, row);
            pixels.push_back({static_cast<int>(pixel >> 16 & 0xff),
                              static_cast<int>(pixel >> 8 & 0xff), static_cast<int>(pixel & 0xff)});
        }
    }
    if (image != nullptr) {
        XDestroyImage(image);
    }
    return pixels;
}

void XSession::tapKey(const char* keyName) const {
    const KeyCode key = XKeysymToKeycode(display, XStringToKeysym(keyName));
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XTestFakeKeyEvent(display, key, False, CurrentTime);
    XFlush(display);
}

void XSession::putPointer(unsigned long window, int x, int y) const {
    XWarpPointer(display, None, window, 0, 0, 0, 0, x, y);
    XFlush(display);
}

void XSession::requestClose(unsigned long window) const {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

} // namespace orvane::test
