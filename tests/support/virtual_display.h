// A private Xvfb for one test, so that tests driving the pointer and the
// keyboard never meet each other.
#pragma once

#include <string>
#include <sys/types.h>

namespace orvane::test {

class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", or empty when the server could not be started.
    const std::string& name() const { return display; }

private:
    pid_t pid = -1;
    std::string display;
};

} // namespace orvane::test
