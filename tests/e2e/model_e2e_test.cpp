// The model and the textures in the running viewer: what it prints at start,
// a run that goes on when an image is missing or broken, and the model on
// screen once the camera is turned toward it.
#include "support/viewer.h"
#include "support/virtual_display.h"
#include "support/x_tools.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using namespace orvane::test;
using std::chrono::milliseconds;

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
    void start() {
        viewer = startViewer(folder.path(), display.name());
        window = x.waitForWindow("Orvane", 30.0);
        ASSERT_FALSE(window.empty()) << viewer->output();
        ASSERT_TRUE(untilTopIsSky(true, 100, 100)) << viewer->output();
    }

    // Looks at the top of the picture after each pause (and tilt, in mouse
    // pixels) until it is sky or not, as asked.
    bool untilTopIsSky(bool sky, int attempts, int pauseMs, int tilt = 0) {
        for (int attempt = 0; attempt < attempts; ++attempt) {
            if (tilt != 0) {
                x.moveMouseBy(0, tilt);
            }
            std::this_thread::sleep_for(milliseconds(pauseMs));
            const Image shot = x.screenshot(window);
            if (!shot.empty() && isSky(shot.at(shot.width / 2, 2)) == sky) {
                return true;
            }
        }
        return false;
    }

    // Escape held over several frames: a press and release that fall between
    // two frames would read as never pressed. Returns what the run printed.
    std::string quit() {
        x.keyDown("Escape");
        std::this_thread::sleep_for(milliseconds(300));
        x.keyUp("Escape");
        EXPECT_TRUE(viewer->waitFor(20.0));
        EXPECT_EQ(viewer->exitStatus(), 0);
        EXPECT_EQ(viewer->output().find("GL Error"), std::string::npos) << viewer->output();
        return viewer->output();
    }

    VirtualDisplay display;
    TempDir folder;
    XSession x{display.name()};
    std::unique_ptr<ChildProcess> viewer;
    std::string window;
};

TEST_F(ModelInViewer, PrintsTheMeshCountThenEachTextureInOrderAndGoesOnWhenAnImageFails) {
    const std::string hull = "Models/Untitled/models/textures/hull.png";
    const std::string paint = "Models/Untitled/models/paint.png";
    // All images, then each missing while the other is not an image; each
    // case rewrites both files.
    const struct {
        const char* missing;
        const char* broken;
    } cases[] = {{nullptr, nullptr},
                 {"CompanionCube.png", "GrassTexture.png"},
                 {"GrassTexture.png", "CompanionCube.png"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.missing == nullptr ? "all images" : c.missing);
        if (c.missing != nullptr) {
            std::filesystem::remove(folder.path() / "Textures" / c.missing);
            writeFile(folder.path() / "Textures" / c.broken, "not a picture at all\n");
        }
        std::vector<std::string> expected = {"4", hull, "Loaded texture '" + hull + "'", paint,
                                             "Loaded texture '" + paint + "'"};
        // The plinth's material names no texture and falls back to the cube
        // image; the scene's own two textures follow the model.
        for (const char* image : {"CompanionCube.png", "CompanionCube.png", "GrassTexture.png"}) {
            expected.push_back(std::string("Textures/") + image);
            if (c.missing != nullptr) {
                expected.push_back("Texture loading failed");
            }
        }
        ASSERT_NO_FATAL_FAILURE(start());
        const std::vector<std::string> lines = splitLines(quit());
        ASSERT_GE(lines.size(), expected.size());
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()),
                  expected);
    }
}

// The rocket's red paint: nothing else in the scene is this red.
int rocketRedPixels(const Image& shot) {
    int count = 0;
    for (int y = 0; y < shot.height; y += 2) {
        for (int x = 0; x < shot.width; x += 2) {
            const auto pixel = shot.at(x, y);
            count += pixel[0] > 80 && pixel[0] > 3 * pixel[1] && pixel[0] > 3 * pixel[2];
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
    ASSERT_NO_FATAL_FAILURE(start());
    // The camera starts looking along -z; the model stands at +x, to its right.
    EXPECT_EQ(rocketRedPixels(x.screenshot(window)), 0);
    // Clear of the capture box over the origin before going down.
    std::this_thread::sleep_for(std::chrono::seconds(5));
    // Small steps: a slow frame turns a pixel further, and a large step could
    // tip the view past straight down.
    ASSERT_TRUE(untilTopIsSky(false, 200, 100, 6)) << "the view never turned down";
    ASSERT_TRUE(untilTopIsSky(true, 150, 200)) << "the camera never came down to its lowest height";
    bool seen = false;
    for (int step = 0; step < 250 && !seen; ++step) {
        x.moveMouseBy(20, 0);
        std::this_thread::sleep_for(milliseconds(100));
        seen = rocketRedPixels(x.screenshot(window)) > 40;
    }
    EXPECT_TRUE(seen) << "the model never came into view";
    quit();
}

} // namespace
