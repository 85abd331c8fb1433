#include "support/viewer.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace orvane::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    root = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

std::filesystem::path sourcePath(const std::string& relative) {
    return std::filesystem::path(ORVANE_SOURCE_DIR) / relative;
}

void copyRuntimeData(const std::filesystem::path& folder) {
    for (const char* data : {"Shader", "Textures", "Models"}) {
        const auto from = sourcePath(data);
        if (std::filesystem::exists(from)) {
            std::filesystem::copy(from, folder / data, std::filesystem::copy_options::recursive);
        }
    }
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

std::string readTextFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

ProcessOptions viewerOptions(const std::filesystem::path& workingDirectory,
                             const std::string& display) {
    ProcessOptions options;
    options.argv = {ORVANE_VIEWER_PATH};
    options.workingDirectory = workingDirectory.string();
    if (display.empty()) {
        options.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY"};
    } else {
        options.setEnvironment = {{"DISPLAY", display}};
    }
    return options;
}

std::unique_ptr<ChildProcess> startViewer(const std::filesystem::path& workingDirectory,
                                          const std::string& display) {
    return std::make_unique<ChildProcess>(viewerOptions(workingDirectory, display));
}

} // namespace orvane::test
