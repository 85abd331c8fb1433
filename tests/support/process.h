// Child processes for tests: run a program in a folder, standard input not
// a terminal, its output kept in files, with a deadline.
#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace orvane::test {

struct ProcessOptions {
    std::vector<std::string> argv;
    std::string workingDirectory = ".";
    std::vector<std::pair<std::string, std::string>> setEnvironment;
    std::vector<std::string> unsetEnvironment;
};

class ChildProcess {
public:
    explicit ChildProcess(const ProcessOptions& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // True when the process ended within the time; its status is then known.
    bool waitFor(double seconds);
    bool running();
    // The exit status as the shell sees it (0-255), or 128 + signal.
    int exitStatus() const { return status; }
    void kill();
    std::string output() const;
    std::string errorOutput() const;
    pid_t id() const { return pid; }

private:
    pid_t pid = -1;
    int status = -1;
    bool ended = false;
    std::string outputPath;
    std::string errorPath;
};

struct ProcessResult {
    bool finished = false;
    int exitStatus = -1;
    std::string output;
    std::string errorOutput;
};

// Runs to the end, or kills the process after timeoutSeconds.
ProcessResult runProcess(const ProcessOptions& options, double timeoutSeconds);

std::vector<std::string> splitLines(const std::string& text);

} // namespace orvane::test
