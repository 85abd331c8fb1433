#include "support/process.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace orvane::test {

Process::Process(const std::vector<std::string>& argv, const fs::path& directory) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (files.path() / "out").c_str(),
                                     O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (files.path() / "err").c_str(),
                                     O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    // A process group of its own, so that ending it ends what it started.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    std::vector<char*> arguments;
    for (const std::string& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    const int failed =
        posix_spawn(&pid, arguments[0], &actions, &attributes, arguments.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        throw std::runtime_error("cannot start " + argv[0]);
    }
}

Process::~Process() {
    if (exitStatus < 0) {
        kill(-pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

bool Process::waitFor(double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int raw = 0;
    while (exitStatus < 0 && waitpid(pid, &raw, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (exitStatus < 0) {
        exitStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    }
    return true;
}

} // namespace orvane::test
