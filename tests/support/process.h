// A program run as a child for a test: in a folder of the test's choosing,
// standard input not a terminal, the environment changed as asked, the
// output kept.
#pragma once

#include "support/files.h"

#include <sys/types.h>

namespace orvane::test {

class Process {
public:
    // argv[0] is a path; env(1) in front changes the environment.
    Process(const std::vector<std::string>& argv, const fs::path& directory);
    // Ends it, and what it started, if it still runs.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // True once it has ended; false if it still runs after the seconds.
    bool waitFor(double seconds);
    // As the shell gives it: the exit status, or 128 + the signal.
    int status() const { return exitStatus; }
    std::string output() const { return readFile(files.path() / "out"); }
    std::string errors() const { return readFile(files.path() / "err"); }

private:
    TempDir files;
    pid_t pid = -1;
    int exitStatus = -1;
};

} // namespace orvane::test
