// A child program in a folder and process group of its own: its output kept
// in files, or a terminal of its own that the test types on and reads.
#pragma once

#include "support/files.h"
#include "support/wait.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane::test {

class Process {
public:
    enum class Io { Files, Terminal };

    // argv[0] is looked up on PATH; env(1) in front changes the environment.
    Process(const std::vector<std::string>& argv, const fs::path& directory, Io io = Io::Files) {
        if (io == Io::Terminal && openpty(&user, &tty, nullptr, nullptr, nullptr) != 0) {
            throw std::runtime_error("no terminal for " + argv[0]);
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // Opened first in a new session, the terminal becomes its controlling one.
        posix_spawn_file_actions_addopen(&actions, 0, tty < 0 ? "/dev/null" : ptsname(user),
                                         tty < 0 ? O_RDONLY : O_RDWR, 0);
        if (tty < 0) {
            posix_spawn_file_actions_addopen(&actions, 1, (files.path() / "out").c_str(),
                                             O_WRONLY | O_CREAT, 0600);
        } else {
            posix_spawn_file_actions_adddup2(&actions, 0, 1);
        }
        posix_spawn_file_actions_addopen(&actions, 2, (files.path() / "err").c_str(),
                                         O_WRONLY | O_CREAT, 0600);
        posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
        // A process group of its own, so that ending it ends what it started.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, tty < 0 ? POSIX_SPAWN_SETPGROUP : POSIX_SPAWN_SETSID);
        std::vector<char*> arguments;
        for (const std::string& argument : argv) {
            arguments.push_back(const_cast<char*>(argument.c_str()));
        }
        arguments.push_back(nullptr);
        const int failed =
            posix_spawnp(&pid, arguments[0], &actions, &attributes, arguments.data(), environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) {
            throw std::runtime_error("cannot start " + argv[0]);
        }
    }
    // Ends it, and what it started, if it still runs.
    ~Process() {
        if (exitStatus < 0) {
            kill(-pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        close(user);
        close(tty);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // True once it has ended; false if it still runs after the seconds.
    bool waitFor(double seconds) {
        int raw = 0;
        if (exitStatus < 0 &&
            waitUntil([&] { return waitpid(pid, &raw, WNOHANG) == pid; }, seconds)) {
            exitStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        return exitStatus >= 0;
    }
    // As the shell gives it: the exit status, or 128 + the signal.
    int status() const { return exitStatus; }
    pid_t id() const { return pid; }
    // Standard output; with a terminal, everything shown on it so far.
    std::string output() {
        char buffer[256];
        int waiting = 0;
        while (tty >= 0 && ioctl(user, FIONREAD, &waiting) == 0 && waiting > 0) {
            shown.append(buffer,
                         static_cast<size_t>(std::max<ssize_t>(read(user, buffer, 256), 0)));
        }
        return tty < 0 ? readFile(files.path() / "out") : shown;
    }
    std::string errors() const { return readFile(files.path() / "err"); }
    // With a terminal: the side a person uses, and the program's side.
    int keyboard() const { return user; }
    int terminal() const { return tty; }

private:
    TempDir files;
    int user = -1;
    int tty = -1;
    std::string shown;
    pid_t pid = -1;
    int exitStatus = -1;
};

} // namespace orvane::test
