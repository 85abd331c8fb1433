#include "support/process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orvane::test {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string temporaryFile(const char* stem) {
    std::string pattern = std::string("/tmp/orvane-") + stem + "-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        throw std::runtime_error("mkstemp failed");
    }
    close(fd);
    return pattern;
}

[[noreturn]] void execChild(const ProcessOptions& options, const std::string& outputPath,
                            const std::string& errorPath) {
    const int input = open("/dev/null", O_RDONLY);
    const int output = open(outputPath.c_str(), O_WRONLY | O_TRUNC);
    const int error = open(errorPath.c_str(), O_WRONLY | O_TRUNC);
    dup2(input, STDIN_FILENO);
    dup2(output, STDOUT_FILENO);
    dup2(error, STDERR_FILENO);
    // A process group of its own, so that ending it ends what it started.
    setpgid(0, 0);
    if (chdir(options.workingDirectory.c_str()) != 0) {
        _exit(126);
    }
    for (const auto& name : options.unsetEnvironment) {
        unsetenv(name.c_str());
    }
    for (const auto& [name, value] : options.setEnvironment) {
        setenv(name.c_str(), value.c_str(), 1);
    }
    std::vector<char*> argv;
    for (const auto& argument : options.argv) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

} // namespace

ChildProcess::ChildProcess(const ProcessOptions& options)
    : outputPath(temporaryFile("out")), errorPath(temporaryFile("err")) {
    pid = fork();
    if (pid == 0) {
        execChild(options, outputPath, errorPath);
    }
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
}

ChildProcess::~ChildProcess() {
    kill();
    std::remove(outputPath.c_str());
    std::remove(errorPath.c_str());
}

bool ChildProcess::running() {
    if (ended) {
        return false;
    }
    int raw = 0;
    const pid_t done = waitpid(pid, &raw, WNOHANG);
    if (done != pid) {
        return true;
    }
    ended = true;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return false;
}

bool ChildProcess::waitFor(double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (running()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void ChildProcess::kill() {
    if (pid > 0 && running()) {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        waitFor(10.0);
    }
}

std::string ChildProcess::output() const {
    return readFile(outputPath);
}

std::string ChildProcess::errorOutput() const {
    return readFile(errorPath);
}

ProcessResult runProcess(const ProcessOptions& options, double timeoutSeconds) {
    ChildProcess child(options);
    ProcessResult result;
    result.finished = child.waitFor(timeoutSeconds);
    child.kill();
    result.exitStatus = child.exitStatus();
    result.output = child.output();
    result.errorOutput = child.errorOutput();
    return result;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace orvane::test
