// The wait for a key after a fatal error, met through a pseudo-terminal as a
// person at a terminal meets it: the viewer without a display fails at once.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>
#include <utmp.h>

namespace {

// Asks every few milliseconds until the answer is yes or a minute has passed.
template <typename Condition> bool waitUntil(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TEST(KeyWait, AnyKeyEndsItWithStatus255AndLeavesTheTerminalAsItWasWithNothingQueued) {
    // An arrow sends three bytes; Ctrl-C would end a process in canonical mode.
    for (const std::string key : {"\x1b[A", "\x03"}) {
        SCOPED_TRACE(key == "\x03" ? "Ctrl-C" : "arrow");
        int user = -1;
        int terminal = -1;
        ASSERT_EQ(openpty(&user, &terminal, nullptr, nullptr, nullptr), 0);
        termios before{};
        tcgetattr(terminal, &before);
        const pid_t viewer = fork();
        if (viewer == 0) {
            login_tty(terminal);
            execl("/usr/bin/env", "env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                  ORVANE_VIEWER_PATH, static_cast<char*>(nullptr));
            _exit(127);
        }
        std::string shown;
        EXPECT_TRUE(waitUntil([&] {
            char buffer[256];
            int waiting = 0;
            ioctl(user, FIONREAD, &waiting);
            shown.append(buffer, waiting > 0 ? std::max<ssize_t>(read(user, buffer, 256), 0) : 0);
            return shown.find("Failed to initialize GLFW\r\nPress any key") != std::string::npos;
        })) << shown;
        // The key goes in once the wait has the terminal to itself.
        termios raw{};
        waitUntil([&] { return tcgetattr(terminal, &raw) == 0 && !(raw.c_lflag & ICANON); });
        ASSERT_EQ(write(user, key.data(), key.size()), static_cast<ssize_t>(key.size()));
        int status = 0;
        EXPECT_TRUE(waitUntil([&] { return waitpid(viewer, &status, WNOHANG) == viewer; }));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 255) << "status " << status;
        termios after{};
        tcgetattr(terminal, &after);
        EXPECT_TRUE(before.c_iflag == after.c_iflag && before.c_oflag == after.c_oflag &&
                    before.c_cflag == after.c_cflag && before.c_lflag == after.c_lflag &&
                    std::memcmp(before.c_cc, after.c_cc, sizeof after.c_cc) == 0);
        int queued = -1;
        ioctl(terminal, FIONREAD, &queued);
        EXPECT_EQ(queued, 0);
        kill(viewer, SIGKILL); // in case the key did not end it
        waitpid(viewer, nullptr, 0);
        close(user);
        close(terminal);
    }
}

} // namespace
