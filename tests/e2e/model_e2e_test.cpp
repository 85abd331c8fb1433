// The shipped model in the running viewer: what it prints at start, and
// that it is on screen once the camera is turned toward it.
#include "support/viewer.h"
#include "support/virtual_display.h"
#include "support/x_tools.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace orvane::test;

constexpr double startSeconds = 30.0;
constexpr double endSeconds = 20.0;

bool isSky(const std::array<int, 3>& pixel) {
    // The clear colour (0.3, 0.5, 1.0).
    return std::abs(pixel[0] - 77) <= 2 && std::abs(pixel[1] - 128) <= 2 && pixel[2] >= 253;
}

class ModelInViewer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
        copyRuntimeData(folder.path());
    }

    // The window shows before the scene is loaded; input is taken only once
    // frames run, which the sky at the top of the picture tells.
    bool waitForFrames(const std::string& window) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (topIsSky(window)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    bool topIsSky(const std::string& window) {
        const Image shot = x.screenshot(window);
        return !shot.empty() && isSky(shot.at(shot.width / 2, 2));
    }

    // Held over several frames: a press and release that fall between two
    // frames would read as never pressed.
    void pressEscape() {
        x.keyDown("Escape");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        x.keyUp("Escape");
    }

    VirtualDisplay display;
    TempDir folder;
    XSession x{display.name()};
};

TEST_F(ModelInViewer, PrintsTheMeshCountFirstThenEachTextureInMaterialOrder) {
    auto viewer = startViewer(folder.path(), display.name());
    const std::string window = x.waitForWindow("Orvane", startSeconds);
    ASSERT_FALSE(window.empty()) << viewer->output();
    ASSERT_TRUE(waitForFrames(window)) << viewer->output();
    pressEscape();
    ASSERT_TRUE(viewer->waitFor(endSeconds));
    EXPECT_EQ(viewer->exitStatus(), 0);

    const std::string hull = "Models/Untitled/models/textures/hull.png";
    const std::string paint = "Models/Untitled/models/paint.png";
    const std::vector<std::string> expected = {
        "4",
        hull,
        "Loaded texture '" + hull + "'",
        paint,
        "Loaded texture '" + paint + "'",
        // The plinth's material names no texture and falls back.
        "Textures/CompanionCube.png",
        // The scene's own two textures follow the model.
        "Textures/CompanionCube.png",
        "Textures/GrassTexture.png",
    };
    const std::vector<std::string> lines = splitLines(viewer->output());
    ASSERT_GE(lines.size(), expected.size()) << viewer->output();
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);
    EXPECT_EQ(viewer->output().find("GL Error"), std::string::npos) << viewer->output();
}

// The rocket's red paint: nothing else in the scene is this red.
int rocketRedPixels(const Image& shot) {
    int count = 0;
    for (int y = 0; y < shot.height; y += 2) {
        for (int x = 0; x < shot.width; x += 2) {
            const auto pixel = shot.at(x, y);
            if (pixel[0] > 80 && pixel[0] > 3 * pixel[1] && pixel[0] > 3 * pixel[2]) {
                ++count;
            }
        }
    }
    return count;
}

// The camera flies on by itself while it turns, and how far a pixel of
// mouse movement turns it depends on the frame time. So the test steers by
// what it sees: down to the lowest flying height, where the controller
// levels the view and the model stands at eye height at any distance, then
// round to the right in steps well under the field of view.
TEST_F(ModelInViewer, IsOnScreenOnceTheCameraTurnsTowardIt) {
    auto viewer = startViewer(folder.path(), display.name());
    const std::string window = x.waitForWindow("Orvane", startSeconds);
    ASSERT_FALSE(window.empty()) << viewer->output();
    ASSERT_TRUE(waitForFrames(window)) << viewer->output();
    // The camera starts looking along -z; the model stands at +x, to its right.
    EXPECT_EQ(rocketRedPixels(x.screenshot(window)), 0);

    // Clear of the capture box over the origin before going down.
    std::this_thread::sleep_for(std::chrono::seconds(5));
    bool lookingDown = false;
    // Small steps: a slow frame turns a pixel further, and a large step could
    // tip the view past straight down.
    for (int step = 0; step < 200 && !lookingDown; ++step) {
        x.moveMouseBy(0, 6);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        lookingDown = !topIsSky(window);
    }
    ASSERT_TRUE(lookingDown) << "the view never turned down";
    bool level = false;
    for (int wait = 0; wait < 150 && !level; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        level = topIsSky(window);
    }
    ASSERT_TRUE(level) << "the camera never came down to its lowest height";

    bool seen = false;
    for (int step = 0; step < 250 && !seen; ++step) {
        x.moveMouseBy(20, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        seen = rocketRedPixels(x.screenshot(window)) > 40;
    }
    EXPECT_TRUE(seen) << "the model never came into view";

    pressEscape();
    ASSERT_TRUE(viewer->waitFor(endSeconds));
    EXPECT_EQ(viewer->exitStatus(), 0);
    EXPECT_EQ(viewer->output().find("GL Error"), std::string::npos) << viewer->output();
}

} // namespace
