// fork and exec with the child's standard output on /dev/null and a pipe on
// the report descriptor; standard error stays, so a child's failure shows.
#include "bench/child_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane::bench {
namespace {

[[noreturn]] void becomeChild(const std::vector<std::string>& arguments, int reportWriteEnd) {
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull < 0 || dup2(devNull, STDOUT_FILENO) < 0 ||
        dup2(reportWriteEnd, reportDescriptor) < 0) {
        _exit(127);
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

std::string readAll(int descriptor) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(descriptor, buffer, sizeof buffer);
        if (got <= 0) {
            return text;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

} // namespace

ChildOutcome runQuietly(const std::vector<std::string>& arguments) {
    ChildOutcome outcome;
    int pipeEnds[2];
    if (arguments.empty() || pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return outcome;
    }
    const pid_t child = fork();
    if (child == 0) {
        becomeChild(arguments, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    if (child < 0) {
        close(pipeEnds[0]);
        return outcome;
    }
    outcome.report = readAll(pipeEnds[0]);
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    outcome.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

} // namespace orvane::bench
