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

// The rest of a key that sends several bytes (an arrow, a function key) is
// at most this long behind its first byte, in tenths of a second.
constexpr cc_t restOfKeyTenths = 1;

// The equivalent of the console's "PAUSE". Only a person can answer it, so a
// script, a test or CI (standard input not a terminal) is never kept waiting.
void pause() {
    if (isatty(STDIN_FILENO) == 0) {
        return;
    }
    std::cout << "Press any key to continue . . ." << std::endl;
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0) {
        return;
    }
    termios raw = saved;
    // Without ISIG, Ctrl-C is a key like any other: it ends the wait instead
    // of ending the process with the terminal still in raw mode.
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    char key[16];
    if (read(STDIN_FILENO, key, 1) == 1) {
        // Take in the rest of the key, so that none of it reaches the shell.
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = restOfKeyTenths;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
        while (read(STDIN_FILENO, key, sizeof key) > 0) {
        }
    }
    // TCSAFLUSH also drops whatever is still queued.
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
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
