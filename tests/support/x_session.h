// The display as a person uses it, from inside the test: find a window, read
// its pixels, press keys through the XTest extension, move the pointer, and
// ask the window to close as a window manager would.
#pragma once

#include <array>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace orvane::test {

using Rgb = std::array<int, 3>;

class XSession {
public:
    // Connects to the display that DISPLAY names.
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool connected() const { return display != nullptr; }
    // The first top-level window with that name, or 0 when none appeared in time.
    unsigned long waitForWindow(const std::string& name, double seconds) const;
    std::string name(unsigned long window) const;
    std::array<int, 2> size(unsigned long window) const;
    // A rectangle of the window, rows top first; empty when it cannot be read.
    std::vector<Rgb> grab(unsigned long window, int x, int y, int width, int height) const;
    // Pressed and released; the name as X spells it ("Escape").
    void tapKey(const char* name) const;
    // Moves the pointer to (x, y) in the window, as a hand on the mouse
    // would; no movement when it is there already.
    void putPointer(unsigned long window, int x, int y) const;
    void requestClose(unsigned long window) const;

private:
    Display* display = nullptr;
};

} // namespace orvane::test
