// The key wait after a fatal error (no display), on a terminal of its own.
// Each step takes milliseconds, so a broken wait fails in seconds.
#include "support/process.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>

namespace {

using namespace orvane::test;

constexpr double deadlineSeconds = 10;

// Cleared first, so that whole settings compare byte for byte.
termios settingsOf(const Process& program) {
    termios settings;
    std::memset(&settings, 0, sizeof settings);
    tcgetattr(program.terminal(), &settings);
    return settings;
}

// The viewer on a terminal of its own, behind a launcher's words if given
// (it is then their $0); asked() once it waits for a key.
struct WaitingViewer {
    explicit WaitingViewer(std::vector<std::string> launcher = {})
        : viewer(withoutDisplay(std::move(launcher)), ".", Process::Io::Terminal) {}

    static std::vector<std::string> withoutDisplay(std::vector<std::string> launcher) {
        launcher.insert(launcher.begin(), {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"});
        launcher.push_back(ORVANE_VIEWER_PATH);
        return launcher;
    }

    const termios before = settingsOf(Process({"true"}, ".", Process::Io::Terminal));
    Process viewer;

    bool asked() {
        const std::string prompt = "Failed to initialize GLFW\r\nPress any key";
        return waitUntil(
            [&] {
                return viewer.output().find(prompt) != std::string::npos &&
                       (settingsOf(viewer).c_lflag & ICANON) == 0;
            },
            deadlineSeconds);
    }
    void type(const std::string& keys) const {
        ASSERT_EQ(write(viewer.keyboard(), keys.data(), keys.size()),
                  static_cast<ssize_t>(keys.size()));
    }
    // The rest of a key, typed while the viewer, stopped, waits for it.
    // False when it had stopped waiting by then.
    bool typeRestInTime(const std::string& rest) {
        const pid_t id = viewer.id();
        const auto waitsForRest = [&] { return settingsOf(viewer).c_cc[VMIN] == 0; };
        siginfo_t stop{};
        const auto stoppedOrEnded = [&] {
            return waitid(P_PID, id, &stop, WSTOPPED | WEXITED | WNOWAIT | WNOHANG) == 0 &&
                   stop.si_pid == id;
        };
        if (!waitUntil([&] { return waitsForRest() || stoppedOrEnded(); }, deadlineSeconds) ||
            kill(id, SIGSTOP) != 0 || !waitUntil(stoppedOrEnded, deadlineSeconds)) {
            return false;
        }
        int queued = 0;
        const bool inTime = stop.si_code == CLD_STOPPED && waitsForRest();
        if (inTime) {
            type(rest);
            waitUntil(
                [&] {
                    return ioctl(viewer.terminal(), FIONREAD, &queued) == 0 &&
                           queued >= static_cast<int>(rest.size());
                },
                deadlineSeconds);
        }
        kill(id, SIGCONT);
        return inTime;
    }
    // Then a person presses Enter: the shell must read that and nothing else.
    void expectEndAsBefore(int status) {
        ASSERT_TRUE(viewer.waitFor(deadlineSeconds)) << "the wait did not end";
        EXPECT_EQ(viewer.status(), status);
        const termios after = settingsOf(viewer);
        EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0) << "the terminal not restored";
        type("\n");
        char line[64];
        const ssize_t got = read(viewer.terminal(), line, sizeof line);
        EXPECT_EQ(std::string(line, std::max<ssize_t>(got, 0)), "\n") << "a key left for the shell";
    }
};

// An arrow's bytes apart, as over a slow link; Ctrl-C would end a process in
// line mode; Ctrl-S and Ctrl-Q would stop and start its output.
TEST(KeyWait, AnyKeyEndsItWithStatus255AndLeavesTheTerminalAsItWasWithNothingQueued) {
    for (const std::string key : {"\x1b[A", "\x03", "\x13", "\x11"}) {
        SCOPED_TRACE(testing::PrintToString(key));
        // Should this program look too late, the try is void: a new one.
        std::unique_ptr<WaitingViewer> waiting;
        const auto pressed = [&] {
            waiting = std::make_unique<WaitingViewer>();
            if (!waiting->asked()) {
                return false;
            }
            waiting->type(key.substr(0, 1));
            return key.size() == 1 || waiting->typeRestInTime(key.substr(1));
        };
        ASSERT_TRUE(waitUntil(pressed, deadlineSeconds)) << "no wait for the key or its rest";
        waiting->expectEndAsBefore(255);
    }
}

// Not only a hang-up or a kill: any signal that ends a process by default.
TEST(KeyWait, ASignalThatEndsAProcessRestoresTheTerminalAndEndsItAsTheSignalWould) {
    for (const int signal : {SIGHUP, SIGTERM, SIGUSR1, SIGALRM, SIGPIPE, SIGRTMIN}) {
        SCOPED_TRACE(strsignal(signal));
        WaitingViewer waiting;
        ASSERT_TRUE(waiting.asked()) << "no wait: " << waiting.viewer.output();
        kill(waiting.viewer.id(), signal);
        waiting.expectEndAsBefore(128 + signal);
    }
}

// At an interactive shell (job control; the terminal put back as it was when
// a job stops; no history written): started as `orvane &`, or stopped during
// the wait and continued with `bg`. Not the terminal's foreground job, it
// must not wait, nor set the terminal (SIGTTOU or SIGTTIN would stop it);
// the shell gets the status at once.
TEST(KeyWait, InTheBackgroundItEndsAtOnceWithStatus255AndLeavesTheTerminalToTheShell) {
    for (const auto& [script, stopped] : {std::pair{"\"$0\" & wait $!", false},
                                          std::pair{"\"$0\"; bg %1 >/dev/null; wait %1", true}}) {
        SCOPED_TRACE(script);
        WaitingViewer waiting(
            {"HISTFILE=/dev/null", "bash", "--norc", "--noprofile", "-ic", script});
        if (stopped) {
            ASSERT_TRUE(waiting.asked()) << "no wait: " << waiting.viewer.output();
            // Ctrl-Z is a key during the wait: stopped from elsewhere.
            kill(-tcgetpgrp(waiting.viewer.keyboard()), SIGTSTP);
        }
        waiting.expectEndAsBefore(255);
        const std::string shown = waiting.viewer.output();
        EXPECT_EQ(splitLines(shown).at(0), "Failed to initialize GLFW");
        EXPECT_EQ(shown.find("Press any key") != std::string::npos, stopped) << shown;
    }
}

} // namespace
