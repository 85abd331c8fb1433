#include "support/files.h"

#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

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

CapturedOutput::CapturedOutput() {
    ::testing::internal::CaptureStdout();
}

CapturedOutput::~CapturedOutput() {
    if (capturing) {
        lines();
    }
}

std::vector<std::string> CapturedOutput::lines() {
    capturing = false;
    return splitLines(::testing::internal::GetCapturedStdout());
}

} // namespace orvane::test
