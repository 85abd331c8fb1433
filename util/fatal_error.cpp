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

HANDLE waitingInput = nullptr;
DWORD inputModeBeforeWait = 0;

// Ctrl-Break, a closing console, a log-off or a shutdown still ends the
// process during the wait, through the next handler; the console, which
// outlives it, gets its mode back first.
BOOL WINAPI restoreInputModeAndEnd(DWORD) {
    SetConsoleMode(waitingInput, inputModeBeforeWait);
    return FALSE;
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
    waitingInput = input;
    inputModeBeforeWait = saved;
    SetConsoleCtrlHandler(restoreInputModeAndEnd, TRUE);
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
    SetConsoleCtrlHandler(restoreInputModeAndEnd, FALSE);
}

#else

// The rest of a key that sends several bytes (an arrow, a function key) is
// at most this long behind its first byte, in tenths of a second.
constexpr cc_t restOfKeyTenths = 1;

termios terminalBeforeWait{};

// Only the terminal's foreground job may read a key from it or change its
// settings: a job in the background would be stopped for trying (SIGTTIN,
// SIGTTOU), and would upset whatever the shell runs meanwhile.
bool inForeground() {
    return tcgetpgrp(STDIN_FILENO) == getpgrp();
}

void setTerminal(int when, const termios& settings) {
    if (inForeground()) {
        tcsetattr(STDIN_FILENO, when, &settings);
    }
}

// A signal that ends the process during the wait must not leave the
// terminal without echo: put it back, then end as the signal would have.
extern "C" void restoreTerminalAndEnd(int signal) {
    setTerminal(TCSAFLUSH, terminalBeforeWait);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// By default every other signal ends the process, some with a core dump.
bool endsTheProcess(int signal) {
    for (const int other :
         {SIGKILL, SIGSTOP, SIGTSTP, SIGTTIN, SIGTTOU, SIGCONT, SIGCHLD, SIGURG, SIGWINCH}) {
        if (signal == other) {
            return false;
        }
    }
    return true;
}

// Every signal that would end the process, not only a hang-up or a kill: a
// quit, an alarm, a broken pipe, a user's or a real-time signal. One that is
// ignored (as nohup or a shell leaves some) or handled elsewhere stays so.
// The handler blocks every signal, SIGTTOU among them, so it cannot stop.
// Nothing is undone: the process ends right after the wait.
void restoreTerminalOnSignals() {
    struct sigaction restore {};
    restore.sa_handler = restoreTerminalAndEnd;
    sigfillset(&restore.sa_mask);
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction before {};
        if (endsTheProcess(signal) && sigaction(signal, nullptr, &before) == 0 &&
            before.sa_handler == SIG_DFL) {
            sigaction(signal, &restore, nullptr);
        }
    }
}

// One key, in raw mode, on the terminal at standard input.
void waitForKey() {
    if (tcgetattr(STDIN_FILENO, &terminalBeforeWait) != 0) {
        return;
    }
    // Stopped during the wait and continued in the background, it must not
    // stop again for the terminal: with these blocked, reading fails at once
    // (the wait ends) and setting is left to the foreground test.
    sigset_t jobControl;
    sigemptyset(&jobControl);
    sigaddset(&jobControl, SIGTTIN);
    sigaddset(&jobControl, SIGTTOU);
    sigprocmask(SIG_BLOCK, &jobControl, nullptr);
    restoreTerminalOnSignals();
    termios raw = terminalBeforeWait;
    // Without ISIG, Ctrl-C is a key like any other: it ends the wait instead
    // of ending the process with the terminal still in raw mode. Without
    // IXON, so are Ctrl-S and Ctrl-Q, which would stop and start the output.
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    setTerminal(TCSANOW, raw);
    char key[16];
    if (read(STDIN_FILENO, key, 1) == 1) {
        // Take in the rest of the key, so that none of it reaches the shell.
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = restOfKeyTenths;
        setTerminal(TCSANOW, raw);
        while (read(STDIN_FILENO, key, sizeof key) > 0) {
        }
    }
    // TCSAFLUSH also drops whatever is still queued.
    setTerminal(TCSAFLUSH, terminalBeforeWait);
}

// The equivalent of the console's "PAUSE". Only a person can answer it, so a
// script, a test or CI (standard input not a terminal) is never kept
// waiting, nor is a job started in the background.
void pause() {
    if (isatty(STDIN_FILENO) == 0 || !inForeground()) {
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
