// The viewer as a process: its window, its ways to end, and the start-up
// failures with their messages and status.
#include "support/viewer.h"
#include "support/virtual_display.h"
#include "support/x_tools.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace orvane::test;

constexpr double startSeconds = 30.0;
constexpr double endSeconds = 20.0;

class ViewerStartup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
        copyRuntimeData(folder.path());
    }

    VirtualDisplay display;
    TempDir folder;
    XSession x{display.name()};
};

bool isSky(const std::array<int, 3>& pixel) {
    // The clear colour (0.3, 0.5, 1.0).
    return std::abs(pixel[0] - 77) <= 2 && std::abs(pixel[1] - 128) <= 2 && pixel[2] >= 253;
}

TEST_F(ViewerStartup, OpensTheTitledWindowShowsSkyAndEndsOnEscapeWithStatusZero) {
    auto viewer = startViewer(folder.path(), display.name());
    const std::string window = x.waitForWindow("Orvane", startSeconds);
    ASSERT_FALSE(window.empty()) << viewer->output();
    EXPECT_EQ(x.windowName(window), "Orvane");
    const WindowGeometry size = x.geometry(window);
    EXPECT_EQ(size.width, 1280);
    EXPECT_EQ(size.height, 768);

    // The first frame follows the whole set-up; until then the window is black.
    Image shot;
    for (int attempt = 0; attempt < 300 && (shot.empty() || !isSky(shot.at(0, 2))); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        shot = x.screenshot(window);
    }
    ASSERT_EQ(shot.width, 1280);
    for (int column = 0; column < shot.width; column += 64) {
        EXPECT_TRUE(isSky(shot.at(column, 2))) << "column " << column;
    }

    x.key("Escape");
    ASSERT_TRUE(viewer->waitFor(endSeconds));
    EXPECT_EQ(viewer->exitStatus(), 0);
    EXPECT_EQ(viewer->output().find("GL Error"), std::string::npos) << viewer->output();
}

TEST_F(ViewerStartup, AnEscapeTappedDuringSetUpStillEndsTheRun) {
    auto viewer = startViewer(folder.path(), display.name());
    // The window shows before set-up has loaded everything; a press and
    // release in that time reach the viewer together, in the first swap.
    const std::string window = x.waitForWindow("Orvane", startSeconds);
    ASSERT_FALSE(window.empty()) << viewer->output();
    x.key("Escape");
    ASSERT_TRUE(viewer->waitFor(endSeconds));
    EXPECT_EQ(viewer->exitStatus(), 0);
}

TEST_F(ViewerStartup, EndsWithStatusZeroWhenTheWindowIsClosed) {
    auto viewer = startViewer(folder.path(), display.name());
    const std::string window = x.waitForWindow("Orvane", startSeconds);
    ASSERT_FALSE(window.empty()) << viewer->output();
    ASSERT_TRUE(x.sendCloseRequest(window));
    ASSERT_TRUE(viewer->waitFor(endSeconds));
    EXPECT_EQ(viewer->exitStatus(), 0);
    EXPECT_EQ(viewer->output().find("GL Error"), std::string::npos) << viewer->output();
}

struct StartupFailure {
    const char* name;
    std::vector<std::pair<std::string, std::string>> environment;
    bool withDisplay;
    const char* message;
};

TEST_F(ViewerStartup, StartupFailuresPrintTheirMessageAndExit255) {
    const StartupFailure failures[] = {
        {"no display", {}, false, "Failed to initialize GLFW\n"},
        {"no 3.3 core context",
         {{"MESA_GL_VERSION_OVERRIDE", "3.2"}},
         true,
         "Failed to open window\n"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.name);
        ProcessOptions options =
            viewerOptions(folder.path(), failure.withDisplay ? display.name() : "");
        for (const auto& variable : failure.environment) {
            options.setEnvironment.push_back(variable);
        }
        const ProcessResult result = runProcess(options, endSeconds);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitStatus, 255);
        EXPECT_EQ(result.output, failure.message);
    }
}

// The shader failures, each in a working folder of its own with the
// shader files as the case gives them.
class ShaderFailure : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(display.name().empty()) << "Xvfb did not start"; }

    ProcessResult runWith(const TempDir& folder) {
        return runProcess(viewerOptions(folder.path(), display.name()), endSeconds);
    }

    VirtualDisplay display;
};

const char* const goodVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)";

const char* const goodFragment = R"(#version 330 core
out vec4 fragcolor;
void main() { fragcolor = vec4(1.0); }
)";

TEST_F(ShaderFailure, MissingVertexFileIsReportedBeforeTheFragmentFileIsOpened) {
    TempDir folder;
    std::filesystem::create_directories(folder.path() / "Shader");
    // Opening a FIFO with no writer blocks: a viewer that opened the
    // fragment file would hang here instead of ending.
    const auto fragment = folder.path() / "Shader/shader.frag";
    ASSERT_EQ(mkfifo(fragment.c_str(), 0600), 0);

    const ProcessResult result = runWith(folder);
    ASSERT_TRUE(result.finished) << "the fragment file was opened";
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.output, "Failed to open shader file: Shader/shader.vert\n");
}

TEST_F(ShaderFailure, MissingFragmentFileIsReportedWithItsPath) {
    TempDir folder;
    writeFile(folder.path() / "Shader/shader.vert", goodVertex);
    const ProcessResult result = runWith(folder);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.output, "Failed to open shader file: Shader/shader.frag\n");
}

TEST_F(ShaderFailure, CompileAndLinkErrorsPrintTheirMessageAndTheLog) {
    struct Case {
        const char* name;
        std::string vertex;
        std::string fragment;
        const char* message;
    };
    const Case cases[] = {
        {"vertex does not compile", "#version 330 core\nvoid main() { nonsense; }\n", goodFragment,
         "Failed to compile shader"},
        {"fragment does not compile", goodVertex, "#version 330 core\nvoid main() { 1 = 2; }\n",
         "Failed to compile shader"},
        {"fragment has no main", goodVertex, "#version 330 core\nvoid helper() {}\n",
         "Failed to link shader program"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir folder;
        writeFile(folder.path() / "Shader/shader.vert", c.vertex);
        writeFile(folder.path() / "Shader/shader.frag", c.fragment);
        const ProcessResult result = runWith(folder);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitStatus, 255);
        const auto lines = splitLines(result.output);
        ASSERT_GE(lines.size(), 2u) << result.output;
        EXPECT_EQ(lines[0], c.message);
        EXPECT_FALSE(lines[1].empty()) << "the info log is missing";
    }
}

TEST_F(ShaderFailure, EmptyShaderFileEndsTheRunThroughAFailurePath) {
    TempDir folder;
    writeFile(folder.path() / "Shader/shader.vert", "");
    writeFile(folder.path() / "Shader/shader.frag", goodFragment);
    const ProcessResult result = runWith(folder);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 255);
    const auto lines = splitLines(result.output);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines[0] == "Failed to compile shader" ||
                lines[0] == "Failed to link shader program")
        << result.output;
}

} // namespace
