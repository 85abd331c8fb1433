// Driving a virtual display as a person would: find the window, press keys,
// move the mouse, take a screenshot, ask the window to close.
#pragma once

#include "support/process.h"

#include <array>
#include <string>
#include <vector>

namespace orvane::test {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    std::array<int, 3> at(int x, int y) const;
    bool empty() const { return rgb.empty(); }
};

struct WindowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class XSession {
public:
    explicit XSession(std::string display) : display(std::move(display)) {}

    ProcessResult run(std::vector<std::string> argv, double timeoutSeconds = 20.0) const;
    // The id of the first window whose name is exactly title, or "" after the time.
    std::string waitForWindow(const std::string& title, double seconds) const;
    std::string windowName(const std::string& windowId) const;
    WindowGeometry geometry(const std::string& windowId) const;
    // Key names as xdotool takes them: "Escape", "Up", "Down".
    void key(const std::string& name) const;
    void keyDown(const std::string& name) const;
    void keyUp(const std::string& name) const;
    void moveMouseBy(int dx, int dy) const;
    Image screenshot(const std::string& windowId) const;
    // What a window manager sends when the user closes the window.
    bool sendCloseRequest(const std::string& windowId) const;

private:
    std::string display;
};

Image parsePpm(const std::string& data);

} // namespace orvane::test
