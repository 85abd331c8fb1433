#include "support/virtual_display.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane::test {
namespace {

std::string readDisplayNumber(int fd) {
    std::string number;
    pollfd waiting{fd, POLLIN, 0};
    while (poll(&waiting, 1, 15000) > 0) {
        char c = 0;
        if (read(fd, &c, 1) != 1 || c == '\n') {
            break;
        }
        number += c;
    }
    return number;
}

} // namespace

VirtualDisplay::VirtualDisplay() {
    int channel[2];
    if (pipe(channel) != 0) {
        return;
    }
    pid = fork();
    if (pid == 0) {
        close(channel[0]);
        const int quiet = open("/dev/null", O_RDWR);
        dup2(quiet, STDIN_FILENO);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        const std::string fd = std::to_string(channel[1]);
        // -noreset: otherwise the server resets when its last client leaves and
        // the pointer jumps back to the centre, losing injected moves.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-nolisten", "tcp", "-screen",
               "0", "1600x1000x24", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(channel[1]);
    if (pid > 0) {
        const std::string number = readDisplayNumber(channel[0]);
        if (!number.empty()) {
            display = ":" + number;
        }
    }
    close(channel[0]);
}

VirtualDisplay::~VirtualDisplay() {
    if (pid <= 0) {
        return;
    }
    kill(pid, SIGTERM);
    int status = 0;
    for (int tries = 0; tries < 500; ++tries) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return;
        }
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
}

} // namespace orvane::test
