// A program run as a child for a test: in a folder of the test's choosing,
// in a process group of its own, the environment changed as asked, and
// either its output kept in files (standard input not a terminal) or a
// terminal of its own that the test types on and reads, as a person would.
#pragma once

#include "support/files.h"

#include <sys/types.h>

namespace orvane::test {

class Process {
public:
    enum class Io { Files, Terminal };

    // argv[0] is looked up on PATH; env(1) in front changes the environment.
    Process(const std::vector<std::string>& argv, const fs::path& directory, Io io = Io::Files);
    // Ends it, and what it started, if it still runs.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // True once it has ended; false if it still runs after the seconds.
    bool waitFor(double seconds);
    // As the shell gives it: the exit status, or 128 + the signal.
    int status() const { return exitStatus; }
    pid_t id() const { return pid; }
    // Standard output; with a terminal, everything shown on it so far.
    std::string output();
    std::string errors() const { return readFile(files.path() / "err"); }
    // With a terminal: the side a person types on and reads, and the
    // terminal as the program has it (its settings, its input queue).
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
