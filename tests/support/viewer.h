// The viewer as a process, in a working folder of its own that holds a copy
// of the run-time data, which a test may change before the start.
#pragma once

#include "support/process.h"

#include <filesystem>
#include <memory>
#include <string>

namespace orvane::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return root; }

private:
    std::filesystem::path root;
};

// Copies Shader/, Textures/ and Models/ of the source tree into folder.
void copyRuntimeData(const std::filesystem::path& folder);
void writeFile(const std::filesystem::path& path, const std::string& text);
std::string readTextFile(const std::filesystem::path& path);
std::filesystem::path sourcePath(const std::string& relative);

ProcessOptions viewerOptions(const std::filesystem::path& workingDirectory,
                             const std::string& display);
std::unique_ptr<ChildProcess> startViewer(const std::filesystem::path& workingDirectory,
                                          const std::string& display);

} // namespace orvane::test
