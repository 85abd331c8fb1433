// Folders, files and standard output as tests use them.
#pragma once

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace orvane::test {

namespace fs = std::filesystem;

// A new temporary folder, removed with its contents. mkdtemp without POSIX.
class TempDir {
public:
    TempDir() {
        std::random_device random;
        do {
            root = fs::temp_directory_path() / ("orvane-test-" + std::to_string(random()));
        } while (!fs::create_directory(root));
        fs::permissions(root, fs::perms::owner_all);
    }
    ~TempDir() { fs::remove_all(root); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return root; }

private:
    fs::path root;
};

// The working directory, for as long as the object lives.
class InDirectory {
public:
    explicit InDirectory(const fs::path& folder) : previous(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InDirectory() { fs::current_path(previous); }
    InDirectory(const InDirectory&) = delete;
    InDirectory& operator=(const InDirectory&) = delete;

private:
    fs::path previous;
};

inline fs::path sourcePath(const std::string& relative) {
    return fs::path(ORVANE_SOURCE_DIR) / relative;
}

// Shader/, Textures/ and Models/ of the source tree, copied into folder.
inline void copyRuntimeData(const fs::path& folder) {
    for (const char* data : {"Shader", "Textures", "Models"}) {
        fs::copy(sourcePath(data), folder / data, fs::copy_options::recursive);
    }
}

inline void writeFile(const fs::path& path, const std::string& text) {
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path());
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline std::string readFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// Windows writes text with CRLF.
inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// Standard output (or another descriptor) until lines(): it goes to a file,
// so that whatever is written, through any stream, is caught.
class CapturedOutput {
public:
    explicit CapturedOutput(int descriptor = 1) : captured(descriptor), saved(dup(descriptor)) {
        std::cout.flush();
        std::fflush(stdout);
        const int file = open((folder.path() / "out").string().c_str(), O_WRONLY | O_CREAT, 0600);
        dup2(file, captured);
        close(file);
    }
    ~CapturedOutput() {
        if (saved >= 0) {
            lines();
        }
    }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
    std::vector<std::string> lines() {
        std::cout.flush();
        std::fflush(stdout);
        dup2(saved, captured);
        close(saved);
        saved = -1;
        return splitLines(readFile(folder.path() / "out"));
    }

private:
    TempDir folder;
    int captured;
    int saved;
};

} // namespace orvane::test
