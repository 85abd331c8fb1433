// The viewer's two textures as a person meets them: the lines it prints for
// them, the grass it shows, and a run that goes on when an image is missing
// or broken.
#include "support/viewer.h"
#include "support/virtual_display.h"
#include "support/x_tools.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using namespace orvane::test;

constexpr double startSeconds = 30.0;
constexpr double endSeconds = 20.0;
const std::string cubeImage = "Textures/CompanionCube.png";
const std::string grassImage = "Textures/GrassTexture.png";
const std::string failed = "Texture loading failed";

// The lines from the set-up's cube texture on: it is the last texture made
// from the cube image (the model may make earlier ones), and nothing but
// "GL Error" may be printed after set-up.
std::vector<std::string> linesFromSceneTextures(const std::string& output) {
    const auto lines = splitLines(output);
    for (size_t i = lines.size(); i-- > 0;) {
        if (lines[i] == cubeImage) {
            return {lines.begin() + static_cast<std::ptrdiff_t>(i), lines.end()};
        }
    }
    return {};
}

bool isGrass(const std::array<int, 3>& pixel) {
    return pixel[1] > pixel[0] && pixel[1] > pixel[2] + 20;
}

class TextureViewer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
        copyRuntimeData(folder.path());
    }

    // Starts the viewer, lets it draw a while, takes a picture, ends it with
    // Escape and returns everything it printed.
    std::string runUntilEscape(Image* shot = nullptr) {
        auto viewer = startViewer(folder.path(), display.name());
        const std::string window = x.waitForWindow("Orvane", startSeconds);
        EXPECT_FALSE(window.empty()) << viewer->output();
        if (window.empty()) {
            return viewer->output();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        if (shot != nullptr) {
            *shot = x.screenshot(window);
        }
        x.key("Escape");
        EXPECT_TRUE(viewer->waitFor(endSeconds));
        EXPECT_EQ(viewer->exitStatus(), 0);
        return viewer->output();
    }

    VirtualDisplay display;
    TempDir folder;
    XSession x{display.name()};
};

TEST_F(TextureViewer, LoadsBothImagesWithoutGlErrorAndShowsGrassBelowTheHorizon) {
    Image shot;
    const std::string output = runUntilEscape(&shot);
    EXPECT_EQ(linesFromSceneTextures(output), (std::vector<std::string>{cubeImage, grassImage}))
        << output;
    ASSERT_EQ(shot.width, 1280);
    // The lower corners: ground, clear of the flyer in the middle.
    EXPECT_TRUE(isGrass(shot.at(40, 740)));
    EXPECT_TRUE(isGrass(shot.at(1240, 740)));
}

struct BrokenImage {
    const char* name;
    std::string file;
    bool remove;
    std::vector<std::string> expected;
};

TEST_F(TextureViewer, MissingOrBrokenImageIsReportedAndTheRunGoesOn) {
    const BrokenImage cases[] = {
        {"cube image missing", cubeImage, true, {cubeImage, failed, grassImage}},
        {"cube image not an image", cubeImage, false, {cubeImage, failed, grassImage}},
        {"grass image missing", grassImage, true, {cubeImage, grassImage, failed}},
        {"grass image not an image", grassImage, false, {cubeImage, grassImage, failed}},
    };
    for (const BrokenImage& broken : cases) {
        SCOPED_TRACE(broken.name);
        std::filesystem::remove_all(folder.path() / "Textures");
        std::filesystem::copy(sourcePath("Textures"), folder.path() / "Textures");
        std::filesystem::remove(folder.path() / broken.file);
        if (!broken.remove) {
            writeFile(folder.path() / broken.file, "not a picture at all\n");
        }
        const std::string output = runUntilEscape();
        EXPECT_EQ(linesFromSceneTextures(output), broken.expected) << output;
    }
}

} // namespace
