// Printing a start-up failure, waiting for a person if there is one, and
// ending the process.
#include "util/fatal_error.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace orvane {
namespace {

// The equivalent of the console's "PAUSE". Only a person can answer it, so a
// script, a test or CI (standard input not a terminal) is never kept waiting.
void pause() {
    if (isatty(STDIN_FILENO) == 0) {
        return;
    }
    std::cout << "Press any key to continue . . ." << std::endl;
    termios saved{};
    const bool haveTermios = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (haveTermios) {
        termios raw = saved;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    char key = 0;
    [[maybe_unused]] const ssize_t got = read(STDIN_FILENO, &key, 1);
    if (haveTermios) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    }
}

} // namespace

void fatalError(const std::string& message) {
    std::cout << message << std::endl;
    pause();
    std::exit(-1);
}

void fatalError(const std::string& message, const std::string& log) {
    std::cout << message << std::endl;
    std::cout << log << std::endl;
    pause();
    std::exit(-1);
}

} // namespace orvane
