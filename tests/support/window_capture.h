// Reading a window's pixels straight from the X server, fast enough to
// watch a running picture frame by frame.
#pragma once

#include "support/x_tools.h"

#include <string>

typedef struct _XDisplay Display;

namespace orvane::test {

class WindowCapture {
public:
    WindowCapture(const std::string& display, const std::string& windowId);
    ~WindowCapture();
    WindowCapture(const WindowCapture&) = delete;
    WindowCapture& operator=(const WindowCapture&) = delete;

    bool connected() const { return connection != nullptr; }
    // The whole window; empty when it cannot be read.
    Image grab() const;
    // A rectangle of the window, in window pixels.
    Image grab(int x, int y, int width, int height) const;

private:
    Display* connection = nullptr;
    unsigned long window = 0;
};

} // namespace orvane::test
