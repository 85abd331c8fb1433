// The viewer as a process on the test program's own display. Each step waits
// for what it needs to see, never a set time. ORVANE_VIEWER, when set, is the
// viewer's command, a launcher such as wine in front allowed.
#include "app/viewport.h"
#include "support/collada.h"
#include "support/process.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>
#include <array>
#include <iterator>
#include <memory>
#include <sstream>
#include <sys/stat.h>

namespace {

using namespace orvane::test;
using Rgb = std::array<int, 3>;

// Generous for a loaded machine; a run that ends before its first frame needs less.
constexpr double deadlineSeconds = 60;
constexpr double failureSeconds = 20;

// The viewer's command, these words in front.
std::vector<std::string> viewerCommand(std::vector<std::string> words = {}) {
    const char* given = std::getenv("ORVANE_VIEWER");
    std::istringstream command(given != nullptr && *given != '\0' ? given : ORVANE_VIEWER_PATH);
    words.insert(words.end(), std::istream_iterator<std::string>(command), {});
    return words;
}

// The clear colour (0.3, 0.5, 1.0).
bool isSky(const Rgb& p) {
    return std::abs(p[0] - 77) <= 3 && std::abs(p[1] - 128) <= 3 && p[2] >= 250;
}

// The viewer in a folder of its own, its window found by its title. A window
// gone between finding and reading it is an answer, not a reason to end.
class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        copyRuntimeData(folder.path());
        start();
    }

    void start() {
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        ASSERT_NE(x, nullptr) << "no display";
        viewer = std::make_unique<Process>(viewerCommand(), folder.path());
        ASSERT_TRUE(waitUntil([&] { return (window = named("Orvane")) != 0; }, deadlineSeconds))
            << "no window: " << viewer->output() << viewer->errors();
    }

    Window named(const std::string& title) const {
        Window root = 0, parent = 0, *children = nullptr, found = 0;
        unsigned int count = 0;
        XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            char* name = nullptr;
            found = XFetchName(x, children[i], &name) != 0 && name == title ? children[i] : 0;
            XFree(name);
        }
        XFree(children);
        return found;
    }

    // Rows top first; empty when unreadable. The display is 24-bit, red highest.
    std::vector<Rgb> grab(int left, int top, unsigned width, unsigned height) const {
        std::vector<Rgb> pixels;
        XImage* image = XGetImage(x, window, left, top, width, height, AllPlanes, ZPixmap);
        for (unsigned i = 0; image != nullptr && i < width * height; ++i) {
            const unsigned long pixel = XGetPixel(image, int(i % width), int(i / width));
            pixels.push_back({int(pixel >> 16 & 0xff), int(pixel >> 8 & 0xff), int(pixel & 0xff)});
        }
        if (image != nullptr) {
            XDestroyImage(image);
        }
        return pixels;
    }

    void requestClose() const {
        XEvent close{};
        close.xclient = {
            ClientMessage, 0, False, x, window, XInternAtom(x, "WM_PROTOCOLS", False), 32, {}};
        close.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
        XSendEvent(x, window, False, NoEventMask, &close);
        XFlush(x);
    }

    void tapEscape() const {
        const KeyCode key = XKeysymToKeycode(x, XK_Escape);
        XTestFakeKeyEvent(x, key, True, CurrentTime);
        XTestFakeKeyEvent(x, key, False, CurrentTime);
        XFlush(x);
    }

    // Black until the first frame. That frame's top row.
    std::vector<Rgb> firstFrame() {
        std::vector<Rgb> top;
        EXPECT_TRUE(waitUntil(
            [&] {
                top = grab(0, 0, 1280, 1);
                return !top.empty() && top[0] != Rgb{0, 0, 0};
            },
            deadlineSeconds))
            << "no frame: " << viewer->output() << viewer->errors();
        return top;
    }

    void expectEndsWithStatusZero() {
        ASSERT_TRUE(viewer->waitFor(deadlineSeconds)) << "still running";
        EXPECT_EQ(viewer->status(), 0) << viewer->errors();
        EXPECT_EQ(viewer->output().find("GL Error"), std::string::npos) << viewer->output();
    }

    const std::unique_ptr<Display, int (*)(Display*)> display{XOpenDisplay(nullptr), XCloseDisplay};
    Display* const x = display.get();
    TempDir folder;
    std::unique_ptr<Process> viewer;
    Window window = 0;
};

TEST_F(Viewer, OpensTheTitledWindowShowsSkyPrintsItsLinesAndEndsOnACloseRequest) {
    const std::vector<Rgb> top = firstFrame();
    XWindowAttributes size{};
    XGetWindowAttributes(x, window, &size);
    EXPECT_EQ(std::pair(size.width, size.height), std::pair(1280, 768));
    EXPECT_TRUE(top.size() == 1280 && std::all_of(top.begin(), top.end(), isSky));
    requestClose(); // as a window manager asks
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
    tapEscape();
    expectEndsWithStatusZero();
}

// Only the mouse turns the view. A pixel's turn depends on the frame time, so
// only directions are judged, in rows of the 1280 x 768 picture, which the
// viewport scales into the window; the flight only sinks the horizon, so a
// rise shows a turn down. A resize that puts the centre 84 rows above the
// still pointer must not turn it. Then the pointer moves down again and
// again (from wherever it is: the viewer puts it back to the new centre in
// its own time), so every frame turns, far more than its flight sinks the
// horizon: a rising horizon shows the view turned down; one sunk a hundred
// rows (a flight sinks it a few), up.
TEST_F(Viewer, TheViewTurnsWithTheMouseAndNotWithTheWindowsSize) {
    ASSERT_FALSE(firstFrame().empty());
    int width = 1280;
    int height = 768;
    // The first ground row from the top, in a column clear of the flyer.
    const auto horizonRow = [&] {
        const orvane::Viewport fit = orvane::fitViewport(width, height);
        const std::vector<Rgb> column =
            grab(fit.x + 150 * fit.width / 1280, height - fit.y - fit.height, 1, fit.height);
        const auto row = std::find_if_not(column.begin(), column.end(), isSky) - column.begin();
        return static_cast<double>(row) * 768 / fit.height;
    };
    const double unresized = horizonRow();
    // Wider and lower; the pointer, at (640, 384), stays inside.
    width = 1400;
    height = 600;
    XResizeWindow(x, window, width, height);
    XFlush(x);
    // Drawn at the new size once the new band on the right is sky.
    ASSERT_TRUE(waitUntil(
        [&] {
            const std::vector<Rgb> band = grab(width - 1, 0, 1, height);
            return !band.empty() && std::all_of(band.begin(), band.end(), isSky);
        },
        deadlineSeconds))
        << "no frame at the new size";
    const double before = horizonRow();
    EXPECT_GE(before, unresized - 2) << "the view turned down with the window's size";
    auto after = before;
    const auto moveDown = [&] {
        XWarpPointer(x, None, None, 0, 0, 0, 0, 0, 5);
        XFlush(x);
        after = horizonRow();
        return after < before - 2 || after > before + 100;
    };
    ASSERT_TRUE(waitUntil(moveDown, deadlineSeconds)) << "the view never turned";
    EXPECT_LT(after, before) << "the view turned up";
    tapEscape();
    expectEndsWithStatusZero();
}

// The decoders the viewer has started, as its process group holds them (a
// launcher such as Wine runs them under names of its own, the decoder's in
// their command line).
std::vector<pid_t> decodersOf(pid_t viewer) {
    std::vector<pid_t> decoders;
    for (const fs::directory_entry& process : fs::directory_iterator("/proc")) {
        const pid_t id = std::atoi(process.path().filename().c_str());
        std::string command = readFile(process.path() / "cmdline");
        if (id > 0 && id != viewer && getpgid(id) == viewer &&
            command.find("orvane-decoder") != std::string::npos) {
            decoders.push_back(id);
        }
    }
    return decoders;
}

// Its model would keep the decoder busy for minutes: Assimp triangulating a
// polygon of 200,000 corners.
class ViewerLoading : public Viewer {
protected:
    void SetUp() override {
        copyRuntimeData(folder.path());
        writeFile(folder.path() / "Models/Untitled/models/Untitled.dae", polygonOf(200000));
    }
};

TEST_F(ViewerLoading, AnEscapeOrACloseRequestEndsALongLoadAndTheRunWithNoDecoderLeft) {
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "a close request");
        start();
        std::vector<pid_t> decoders;
        ASSERT_TRUE(waitUntil([&] { return !(decoders = decodersOf(viewer->id())).empty(); },
                              deadlineSeconds))
            << "no decoder";
        if (escape) {
            tapEscape();
        } else {
            requestClose();
        }
        expectEndsWithStatusZero();
        // The load given up, and every file after it: no decoder's deadline passed.
        EXPECT_EQ(splitLines(viewer->output()),
                  (std::vector<std::string>{
                      "Failed to load the scene: Models/Untitled/models/Untitled.dae",
                      "Textures/CompanionCube.png", "Texture loading failed",
                      "Textures/GrassTexture.png", "Texture loading failed"}));
        for (const pid_t decoder : decoders) {
            EXPECT_NE(kill(decoder, 0), 0) << "a decoder is left: " << decoder;
        }
    }
}

const char* const goodVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)";

// The line, the info log where OpenGL has one, and status 255 (exit -1).
// A null shader is no file; "fifo", a FIFO.
void expectFailure(const std::vector<std::string>& argv, const char* vertex, const char* fragment,
                   const std::string& line, bool withLog = false) {
    SCOPED_TRACE(line);
    const TempDir here;
    fs::create_directories(here.path() / "Shader");
    for (const auto& [name, text] : {std::pair{"shader.vert", vertex}, {"shader.frag", fragment}}) {
        const fs::path file = here.path() / "Shader" / name;
        if (text != nullptr && std::string(text) == "fifo") {
            ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
        } else if (text != nullptr) {
            writeFile(file, text);
        }
    }
    Process run(argv, here.path());
    ASSERT_TRUE(run.waitFor(failureSeconds)) << "the run did not end";
    EXPECT_EQ(run.status(), 255);
    const std::vector<std::string> lines = splitLines(run.output());
    ASSERT_EQ(lines.size() >= 2, withLog) << run.output();
    EXPECT_EQ(lines.at(0), line);
    EXPECT_TRUE(!withLog || !lines[1].empty()) << "the info log is missing";
}

TEST(ViewerFailure, EachShaderFailurePrintsItsLineAndEndsWithStatus255) {
    const std::vector<std::string> viewer = viewerCommand();
    // Were the fragment FIFO opened after a missing vertex file, the run would hang.
    expectFailure(viewer, nullptr, "fifo", "Failed to open shader file: Shader/shader.vert");
    expectFailure(viewer, goodVertex, nullptr, "Failed to open shader file: Shader/shader.frag");
    expectFailure(viewer, "#version 330 core\nvoid main() { nonsense; }\n",
                  "#version 330 core\nvoid main() {}\n", "Failed to compile shader", true);
    expectFailure(viewer, goodVertex, "#version 330 core\nvoid helper() {}\n",
                  "Failed to link shader program", true);
}

// No display; or a preloaded library of our own refuses the window, on any
// driver (the sanitizers' runtime then no longer comes first).
TEST(ViewerFailure, EachStartUpFailurePrintsItsLineAndEndsWithStatus255) {
    if (viewerCommand().size() > 1) {
        GTEST_SKIP() << "under a launcher (Wine) a preloaded library does not reach the viewer, "
                        "and a run without a display breaks the launcher's session for the next";
    }
    expectFailure(viewerCommand({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"}), goodVertex, "",
                  "Failed to initialize GLFW");
    const auto before = [](const char* name, const std::string& ours) {
        const char* theirs = std::getenv(name);
        return name + ("=" + ours) + (theirs != nullptr ? theirs : "");
    };
    expectFailure(viewerCommand({"env", before("LD_PRELOAD", ORVANE_REFUSE_WINDOW ":"),
                                 before("ASAN_OPTIONS", "verify_asan_link_order=0:")}),
                  goodVertex, "", "Failed to open window");
}

} // namespace
