// Both the C++ stream and C's stdio are flushed at each switch, so nothing
// written before lands after, or the other way round.
#include "bench/silenced_stdout.h"

#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace orvane::bench {
namespace {

void flushBoth() {
    std::cout.flush();
    std::fflush(stdout);
}

} // namespace

SilencedStdout::SilencedStdout() {
    flushBoth();
    savedStdout = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        dup2(devNull, STDOUT_FILENO);
        close(devNull);
    }
}

SilencedStdout::~SilencedStdout() {
    flushBoth();
    if (savedStdout >= 0) {
        dup2(savedStdout, STDOUT_FILENO);
        close(savedStdout);
    }
}

} // namespace orvane::bench
