// The viewer as a process on the run's display: its window and what it
// prints, the two ways it ends, a real mouse movement reaching the camera,
// and every start-up and shader failure with its line and status. Nothing
// waits a set time: each step waits for what it needs to see.
#include "support/process.h"
#include "support/x_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>

namespace {

using namespace orvane::test;

// Generous: a slow machine under load still gets there long before.
constexpr int deadlineSeconds = 60;

// ORVANE_VIEWER runs another build's viewer, perhaps through a launcher
// ("wine /abs/orvane.exe"); without it, this build's.
std::vector<std::string> viewerCommand() {
    const char* given = std::getenv("ORVANE_VIEWER");
    std::istringstream words(given != nullptr && *given != '\0' ? given : ORVANE_VIEWER_PATH);
    return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}
const std::vector<std::string> viewerArgv = viewerCommand();

struct Deadline {
    std::chrono::steady_clock::time_point end =
        std::chrono::steady_clock::now() + std::chrono::seconds(deadlineSeconds);
    bool passed() const { return std::chrono::steady_clock::now() > end; }
};

bool isSky(const Rgb& p) {
    // The clear colour (0.3, 0.5, 1.0).
    return std::abs(p[0] - 77) <= 3 && std::abs(p[1] - 128) <= 3 && p[2] >= 250;
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.connected()) << "no display: make test provides one";
        copyRuntimeData(folder.path());
    }

    // Set-up names the window "Orvane", so finding it by that title checks the
    // title; it is black until the first frame. Returns that frame's top row.
    std::vector<Rgb> start() {
        launch();
        std::vector<Rgb> top;
        for (Deadline deadline; window != 0 && !deadline.passed();) {
            top = x.grab(window, 0, 0, 1280, 1);
            if (!top.empty() && top[0] != Rgb{0, 0, 0}) {
                return top;
            }
        }
        ADD_FAILURE() << "no frame: " << viewer->output() << viewer->errors();
        return {};
    }

    void launch() {
        viewer = std::make_unique<Process>(viewerArgv, folder.path());
        window = x.waitForWindow("Orvane", deadlineSeconds);
    }

    void expectEndsWithStatusZero() {
        ASSERT_TRUE(viewer->waitFor(deadlineSeconds)) << "still running";
        EXPECT_EQ(viewer->status(), 0) << viewer->errors();
        EXPECT_EQ(viewer->output().find("GL Error"), std::string::npos) << viewer->output();
    }

    // The first ground row from the top, in a column clear of the flyer.
    int horizonRow() const {
        const std::vector<Rgb> column = x.grab(window, 150, 0, 1, 768);
        int row = 0;
        while (row < static_cast<int>(column.size()) && isSky(column[row])) {
            ++row;
        }
        return row;
    }

    TempDir folder;
    XSession x;
    std::unique_ptr<Process> viewer;
    unsigned long window = 0;
};

TEST_F(Viewer, OpensTheTitledWindowShowsSkyPrintsItsLinesAndEndsOnACloseRequest) {
    const std::vector<Rgb> top = start();
    ASSERT_EQ(top.size(), 1280u);
    EXPECT_EQ(x.size(window), (std::array<int, 2>{1280, 768}));
    EXPECT_TRUE(std::all_of(top.begin(), top.end(), isSky));
    x.requestClose(window);
    expectEndsWithStatusZero();
    const std::string hull = "Models/Untitled/models/textures/hull.png";
    const std::string paint = "Models/Untitled/models/paint.png";
    EXPECT_EQ(
        splitLines(viewer->output()),
        (std::vector<std::string>{"4", hull, "Loaded texture '" + hull + "'", paint,
                                  "Loaded texture '" + paint + "'", "Textures/CompanionCube.png",
                                  "Textures/CompanionCube.png", "Textures/GrassTexture.png"}));
}

// Keys are taken in between frames, and the first frame follows the whole
// set-up: a tap in the meantime must not be lost.
TEST_F(Viewer, EndsWithStatusZeroOnAnEscapeTappedAsSoonAsItsWindowShows) {
    launch();
    ASSERT_NE(window, 0u) << viewer->output();
    x.tapKey("Escape");
    expectEndsWithStatusZero();
}

// How far a pixel turns the camera depends on the frame time, so only the
// direction is judged. Flying on by itself the camera only ever sees the
// horizon sink; only a view turned down (or a camera sunk) raises it.
TEST_F(Viewer, AMouseMovedDownTurnsTheViewDown) {
    ASSERT_FALSE(start().empty());
    const int before = horizonRow();
    x.moveMouseBy(0, 30);
    int after = before;
    for (Deadline deadline; after >= before && !deadline.passed();) {
        after = horizonRow();
    }
    EXPECT_LT(after, before) << "the horizon never rose";
    x.tapKey("Escape");
    expectEndsWithStatusZero();
}

const char* const goodVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)";

// Each in a folder of its own: the message, the info log where OpenGL has
// one, and status 255 (the -1 of the exit).
TEST_F(Viewer, StartUpAndShaderFailuresPrintTheirLineAndEndWithStatus255) {
    const struct {
        const char* name;
        std::vector<std::string> environment; // env(1) before the viewer
        const char* vertex;                   // nullptr: no file
        const char* fragment;                 // nullptr: no file; "fifo": a FIFO
        const char* line;
        bool withLog;
    } cases[] = {
        {"no display",
         {"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"},
         goodVertex,
         "",
         "Failed to initialize GLFW",
         false},
        {"no 3.3 core context",
         {"/usr/bin/env", "MESA_GL_VERSION_OVERRIDE=3.2"},
         goodVertex,
         "",
         "Failed to open window",
         false},
        // Opening a FIFO with no writer waits: were the fragment file opened
        // after a missing vertex file, the run would never end.
        {"no vertex file",
         {},
         nullptr,
         "fifo",
         "Failed to open shader file: Shader/shader.vert",
         false},
        {"no fragment file",
         {},
         goodVertex,
         nullptr,
         "Failed to open shader file: Shader/shader.frag",
         false},
        {"vertex does not compile",
         {},
         "#version 330 core\nvoid main() { nonsense; }\n",
         "#version 330 core\nvoid main() {}\n",
         "Failed to compile shader",
         true},
        {"fragment has no main",
         {},
         goodVertex,
         "#version 330 core\nvoid helper() {}\n",
         "Failed to link shader program",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Wine keeps the display its running session was started on: a run
        // cannot be kept from it, and one without it spoils the next.
        if (viewerArgv.size() > 1 && std::string(c.name) == "no display") {
            std::cout << "[ SKIPPED  ] no display: not with a launcher" << std::endl;
            continue;
        }
        std::vector<std::string> argv = c.environment;
        argv.insert(argv.end(), viewerArgv.begin(), viewerArgv.end());
        const TempDir here;
        const fs::path shaders = here.path() / "Shader";
        fs::create_directories(shaders);
        if (c.vertex != nullptr) {
            writeFile(shaders / "shader.vert", c.vertex);
        }
        if (c.fragment != nullptr && std::string(c.fragment) == "fifo") {
            ASSERT_EQ(mkfifo((shaders / "shader.frag").c_str(), 0600), 0);
        } else if (c.fragment != nullptr) {
            writeFile(shaders / "shader.frag", c.fragment);
        }
        Process run(argv, here.path());
        ASSERT_TRUE(run.waitFor(deadlineSeconds)) << "the run did not end";
        EXPECT_EQ(run.status(), 255);
        const std::vector<std::string> lines = splitLines(run.output());
        ASSERT_EQ(lines.size() >= 2, c.withLog) << run.output();
        EXPECT_EQ(lines.at(0), c.line);
        EXPECT_TRUE(!c.withLog || !lines[1].empty()) << "the info log is missing";
    }
}

} // namespace
