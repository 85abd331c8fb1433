#include "support/files.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdlib.h>
#include <unistd.h>

namespace orvane::test {

TempDir::TempDir() {
    std::string pattern = "/tmp/orvane-test-XXXXXX";
    root = mkdtemp(pattern.data());
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
    for (std::string line; std::getline(stream, line);) {
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
