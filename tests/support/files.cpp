#include "support/files.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace orvane::test {

// mkdtemp without POSIX: a random name, taken only if nobody has it yet.
TempDir::TempDir() {
    std::random_device random;
    do {
        root = fs::temp_directory_path() / ("orvane-test-" + std::to_string(random()));
    } while (!fs::create_directory(root));
    fs::permissions(root, fs::perms::owner_all);
}

void copyRuntimeData(const fs::path& folder) {
    for (const char* data : {"Shader", "Textures", "Models"}) {
        fs::copy(sourcePath(data), folder / data, fs::copy_options::recursive);
    }
}

void writeFile(const fs::path& path, const std::string& text) {
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path());
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string readFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    // Windows writes text with CRLF.
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// Standard output's descriptor itself goes to a file for the while, so that
// whatever the code under test writes, through any stream, is caught.
CapturedOutput::CapturedOutput() : savedOutput(dup(1)) {
    std::cout.flush();
    std::fflush(stdout);
    const int file = open((folder.path() / "out").string().c_str(), O_WRONLY | O_CREAT, 0600);
    dup2(file, 1);
    close(file);
}

CapturedOutput::~CapturedOutput() {
    if (savedOutput >= 0) {
        lines();
    }
}

std::vector<std::string> CapturedOutput::lines() {
    std::cout.flush();
    std::fflush(stdout);
    dup2(savedOutput, 1);
    close(savedOutput);
    savedOutput = -1;
    return splitLines(readFile(folder.path() / "out"));
}

} // namespace orvane::test
