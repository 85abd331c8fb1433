// Sends this process's standard output to /dev/null for its lifetime, so
// the lines the scene prints while it loads do not break into the table.
#pragma once

namespace orvane::bench {

class SilencedStdout {
public:
    SilencedStdout();
    ~SilencedStdout();
    SilencedStdout(const SilencedStdout&) = delete;
    SilencedStdout& operator=(const SilencedStdout&) = delete;

private:
    int savedStdout = -1;
};

} // namespace orvane::bench
