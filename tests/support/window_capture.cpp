// XGetImage on the window, turned into 8-bit RGB rows.
#include "support/window_capture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace orvane::test {
namespace {

int shiftOf(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

Image toImage(XImage& raw) {
    Image image;
    image.width = raw.width;
    image.height = raw.height;
    image.rgb.resize(static_cast<size_t>(raw.width) * raw.height * 3);
    const int redShift = shiftOf(raw.red_mask);
    const int greenShift = shiftOf(raw.green_mask);
    const int blueShift = shiftOf(raw.blue_mask);
    size_t out = 0;
    for (int y = 0; y < raw.height; ++y) {
        for (int x = 0; x < raw.width; ++x) {
            const unsigned long pixel = XGetPixel(&raw, x, y);
            image.rgb[out++] = static_cast<unsigned char>((pixel & raw.red_mask) >> redShift);
            image.rgb[out++] = static_cast<unsigned char>((pixel & raw.green_mask) >> greenShift);
            image.rgb[out++] = static_cast<unsigned char>((pixel & raw.blue_mask) >> blueShift);
        }
    }
    return image;
}

// A window that went away mid-read is an empty picture, not the end of the
// test program, which is what Xlib's own handler would make of it.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

WindowCapture::WindowCapture(const std::string& display, const std::string& windowId)
    : connection(XOpenDisplay(display.c_str())), window(std::stoul(windowId)) {
    XSetErrorHandler(ignoreErrors);
}

WindowCapture::~WindowCapture() {
    if (connection != nullptr) {
        XCloseDisplay(connection);
    }
}

Image WindowCapture::grab() const {
    if (connection == nullptr) {
        return {};
    }
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(connection, window, &attributes) == 0) {
        return {};
    }
    return grab(0, 0, attributes.width, attributes.height);
}

Image WindowCapture::grab(int x, int y, int width, int height) const {
    if (connection == nullptr || width <= 0 || height <= 0) {
        return {};
    }
    XImage* raw = XGetImage(connection, window, x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (raw == nullptr) {
        return {};
    }
    Image image = toImage(*raw);
    XDestroyImage(raw);
    return image;
}

} // namespace orvane::test
