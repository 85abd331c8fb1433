// Folders, files and standard output as tests use them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::test {

namespace fs = std::filesystem;

// A new folder in the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
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
void copyRuntimeData(const fs::path& folder);
void writeFile(const fs::path& path, const std::string& text);
std::string readFile(const fs::path& path);
std::vector<std::string> splitLines(const std::string& text);

// Standard output from construction to lines(), or to the end.
class CapturedOutput {
public:
    CapturedOutput();
    ~CapturedOutput();
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
    std::vector<std::string> lines();

private:
    TempDir folder;
    int savedOutput;
};

} // namespace orvane::test
