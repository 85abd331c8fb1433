// A resized window: the same scene in the largest centred rectangle of its
// proportions, bands of the clear colour beside it; minimised, nothing drawn.
#include "app/frame_loop.h"
#include "app/scene.h"
#include "app/viewport.h"
#include "camera/camera.h"
#include "scene/import_object.h"
#include "support/files.h"
#include "support/gl_context.h"
#include "support/offscreen_target.h"
#include "support/wait.h"
#include "window/window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

namespace {

using namespace orvane::test;
using orvane::theScene;
using orvane::Viewport;
namespace window = orvane::window;

class ResizedWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ensureGlContext());
        const InDirectory inSource(sourcePath(""));
        const CapturedOutput quiet;
        orvane::startScene();
    }
    void TearDown() override { orvane::teardownScene(); }
};

std::pair<int, int> framebufferSize() {
    std::pair<int, int> size;
    window::getFramebufferSize(size.first, size.second);
    return size;
}

// The window system applies a new size in its own time.
bool resizeTo(int width, int height) {
    window::setWindowSize(width, height);
    return waitUntil([&] { return framebufferSize() == std::pair(width, height); }, 30);
}

// The frame's update and draw for the given framebuffer size, into a target of
// the window's: they differ only when the frame is told it is minimised.
std::unique_ptr<OffscreenTarget> frame(int framebufferWidth, int framebufferHeight, double dt) {
    const auto [width, height] = framebufferSize();
    auto target = std::make_unique<OffscreenTarget>(width, height);
    // Behind the cube and the model, a little above them: all four objects show.
    theScene.camera->position = glm::vec3(5.0f, 3.0f, 9.0f);
    theScene.camera->horizontalAngle = 3.1415927f;
    theScene.camera->verticalAngle = -0.27f;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    orvane::updateAndDraw(dt, framebufferWidth, framebufferHeight);
    target->read();
    EXPECT_EQ(takeGlError(), static_cast<GLenum>(GL_NO_ERROR));
    return target;
}

// Against the 1280 x 768 picture: the band pixels (the rectangle is counted
// from the bottom) not of the clear colour, and the share of those inside
// that match the picture, give or take sampling at another scale.
std::pair<int, double> compare(const OffscreenTarget& reference, const OffscreenTarget& shown,
                               const Viewport& fit) {
    const auto [width, height] = framebufferSize();
    int stray = 0;
    int matching = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int u = x - fit.x;
            const int v = y - (height - fit.y - fit.height);
            const Rgba& seen = shown.at(x, y);
            if (u < 0 || u >= fit.width || v < 0 || v >= fit.height) {
                stray += !isSky(seen);
                continue;
            }
            const Rgba& expected = reference.at(u * 1280 / fit.width, v * 768 / fit.height);
            matching += std::abs(expected[0] - seen[0]) <= 24 &&
                        std::abs(expected[1] - seen[1]) <= 24 &&
                        std::abs(expected[2] - seen[2]) <= 24;
        }
    }
    return {stray, matching / std::max(1.0, static_cast<double>(fit.width) * fit.height)};
}

// OpenGL's viewport now, against the rectangle expected.
void expectViewport(const Viewport& fit) {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4),
              (std::vector<GLint>{fit.x, fit.y, fit.width, fit.height}));
}

TEST_F(ResizedWindow, ThePictureKeepsItsProportionsCentredBetweenBandsOfTheClearColour) {
    ASSERT_TRUE(resizeTo(1280, 768));
    const std::unique_ptr<OffscreenTarget> reference = frame(1280, 768, 0.0);
    // Odd sizes, so that the rectangle's side is rounded and its place halved.
    const struct {
        const char* name;
        int width;
        int height;
        Viewport fit;
    } cases[] = {{"wider", 1501, 601, {249, 0, 1002, 601}},
                 {"taller", 901, 1000, {0, 229, 901, 541}},
                 {"minimised", 0, 0, {0, 0, 0, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // An X11 window cannot be made 0 x 0: the frame is told it is minimised.
        const bool minimised = c.width == 0;
        ASSERT_TRUE(minimised || resizeTo(c.width, c.height));
        const glm::mat4 turnedBefore = theScene.importObject->modelMatrix;
        const std::unique_ptr<OffscreenTarget> shown =
            frame(c.width, c.height, minimised ? 0.5 : 0.0);
        expectViewport(c.fit);
        const auto [stray, matching] = compare(*reference, *shown, c.fit);
        EXPECT_EQ(stray, 0) << "pixels of the bands not of the clear colour";
        if (minimised) {
            EXPECT_NE(theScene.importObject->modelMatrix, turnedBefore);
        } else {
            EXPECT_GT(matching, 0.95) << "the share of the picture shown as at 1280 x 768";
        }
    }
    // The loop's own frame takes the window's size now, still the taller one.
    orvane::FrameClock clock{window::getTime()};
    orvane::runFrame(clock);
    expectViewport(cases[1].fit);
}

} // namespace
