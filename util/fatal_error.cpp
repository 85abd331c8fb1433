// Printing a start-up failure, waiting for a person if there is one, and
// ending the process.
#include "util/fatal_error.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#ifdef _WIN32
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace orvane {
namespace {

#ifdef _WIN32
// Windows has no termios: its console gives keys as input records instead.

// Keys that send nothing when pressed alone, as at a terminal.
bool isModifier(WORD key) {
    for (const WORD modifier :
         {VK_SHIFT, VK_CONTROL, VK_MENU, VK_CAPITAL, VK_NUMLOCK, VK_SCROLL, VK_LWIN, VK_RWIN}) {
        if (key == modifier) {
            return true;
        }
    }
    return false;
}

// The console's "PAUSE", without a command interpreter. Standard input that
// is not a console (a pipe, a file, a script's) is never waited on.
void pause() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    if (input == nullptr || input == INVALID_HANDLE_VALUE || GetConsoleMode(input, &saved) == 0) {
        return;
    }
    std::cout << "Press any key to continue . . ." << std::endl;
    // Without processed input, Ctrl-C is a key like any other: it ends the
    // wait instead of ending the process with another status.
    SetConsoleMode(input, saved & ~static_cast<DWORD>(ENABLE_PROCESSED_INPUT));
    // A key comes as one record however many codes it has (an arrow is two
    // for a C runtime's _getch), so one key-down record is one key.
    INPUT_RECORD record{};
    DWORD count = 0;
    while (ReadConsoleInputW(input, &record, 1, &count) != 0 && count == 1) {
        const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
        if (record.EventType == KEY_EVENT && key.bKeyDown && !isModifier(key.wVirtualKeyCode)) {
            break;
        }
    }
    // Nothing else queued (the key's release, a paste) reaches whatever reads
    // the console next.
    FlushConsoleInputBuffer(input);
    SetConsoleMode(input, saved);
}

#else

// The rest of a key that sends several bytes (an arrow, a function key) is
// at most this long behind its first byte, in tenths of a second.
constexpr cc_t restOfKeyTenths = 1;

termios terminalBeforeWait{};

// A hang-up or a kill during the wait must not leave the terminal without
// echo: put it back, then end as the signal would have.
extern "C" void restoreTerminalAndEnd(int signal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &terminalBeforeWait);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// One key, in raw mode, on the terminal at standard input.
void waitForKey() {
    if (tcgetattr(STDIN_FILENO, &terminalBeforeWait) != 0) {
        return;
    }
    for (const int signal : {SIGHUP, SIGINT, SIGTERM}) {
        std::signal(signal, restoreTerminalAndEnd);
    }
    termios raw = terminalBeforeWait;
    // Without ISIG, Ctrl-C is a key like any other: it ends the wait instead
    // of ending the process with the terminal still in raw mode. Without
    // IXON, so are Ctrl-S and Ctrl-Q, which would stop and start the output.
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON);
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
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &terminalBeforeWait);
}

// The equivalent of the console's "PAUSE". Only a person can answer it, so a
// script, a test or CI (standard input not a terminal) is never kept waiting.
void pause() {
    if (isatty(STDIN_FILENO) == 0) {
        return;
    }
    std::cout << "Press any key to continue . . ." << std::endl;
    waitForKey();
}
#endif

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
