#include "support/x_tools.h"

#include <X11/Xlib.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace orvane::test {

std::array<int, 3> Image::at(int x, int y) const {
    const size_t offset = (static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 3;
    return {rgb[offset], rgb[offset + 1], rgb[offset + 2]};
}

ProcessResult XSession::run(std::vector<std::string> argv, double timeoutSeconds) const {
    ProcessOptions options;
    options.argv = std::move(argv);
    options.setEnvironment = {{"DISPLAY", display}};
    return runProcess(options, timeoutSeconds);
}

std::string XSession::waitForWindow(const std::string& title, double seconds) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        const ProcessResult found =
            run({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"});
        const auto lines = splitLines(found.output);
        if (!lines.empty()) {
            return lines.front();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

std::string XSession::windowName(const std::string& windowId) const {
    const auto lines = splitLines(run({"xdotool", "getwindowname", windowId}).output);
    return lines.empty() ? "" : lines.front();
}

WindowGeometry XSession::geometry(const std::string& windowId) const {
    WindowGeometry geometry;
    for (const auto& line :
         splitLines(run({"xdotool", "getwindowgeometry", "--shell", windowId}).output)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string name = line.substr(0, equals);
        const int value = std::stoi(line.substr(equals + 1));
        if (name == "X") {
            geometry.x = value;
        } else if (name == "Y") {
            geometry.y = value;
        } else if (name == "WIDTH") {
            geometry.width = value;
        } else if (name == "HEIGHT") {
            geometry.height = value;
        }
    }
    return geometry;
}

void XSession::key(const std::string& name) const {
    run({"xdotool", "key", name});
}

void XSession::keyDown(const std::string& name) const {
    run({"xdotool", "keydown", name});
}

void XSession::keyUp(const std::string& name) const {
    run({"xdotool", "keyup", name});
}

void XSession::moveMouseBy(int dx, int dy) const {
    run({"xdotool", "mousemove_relative", "--", std::to_string(dx), std::to_string(dy)});
}

Image XSession::screenshot(const std::string& windowId) const {
    return parsePpm(run({"import", "-window", windowId, "-depth", "8", "ppm:-"}).output);
}

bool XSession::sendCloseRequest(const std::string& windowId) const {
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) {
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(windowId);
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(connection, event.xclient.window, False, NoEventMask, &event);
    XFlush(connection);
    XCloseDisplay(connection);
    return sent != 0;
}

Image parsePpm(const std::string& data) {
    Image image;
    std::istringstream stream(data);
    std::string magic;
    int maxValue = 0;
    stream >> magic >> image.width >> image.height >> maxValue;
    if (magic != "P6" || maxValue != 255 || image.width <= 0 || image.height <= 0) {
        return {};
    }
    stream.get();
    const size_t bytes = static_cast<size_t>(image.width) * image.height * 3;
    image.rgb.resize(bytes);
    stream.read(reinterpret_cast<char*>(image.rgb.data()), static_cast<std::streamsize>(bytes));
    if (static_cast<size_t>(stream.gcount()) != bytes) {
        return {};
    }
    return image;
}

} // namespace orvane::test
