// The picture in a window the desktop resized: the same scene, scaled into
// the largest centred rectangle of its proportions, with bands of the clear
// colour beside it; and when minimised nothing drawn, while time goes on.
// The camera is placed and every frame gets a chosen dt, so the pictures are
// the same on every machine.
#include "app/frame_loop.h"
#include "app/scene.h"
#include "app/viewport.h"
#include "camera/camera.h"
#include "scene/import_object.h"
#include "support/files.h"
#include "support/gl_context.h"
#include "support/offscreen_target.h"
#include "window/window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

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

    // The window system applies a new size in its own time.
    static bool resizeTo(int width, int height) {
        window::setWindowSize(width, height);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        int shownWidth = 0;
        int shownHeight = 0;
        for (;;) {
            window::getFramebufferSize(shownWidth, shownHeight);
            if ((shownWidth == width && shownHeight == height) ||
                std::chrono::steady_clock::now() > deadline) {
                return shownWidth == width && shownHeight == height;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // The frame's own update and draw for a framebuffer of the given size,
    // into a target of the window's: they differ only when the frame is told
    // the window is minimised.
    static std::unique_ptr<OffscreenTarget> frame(int framebufferWidth, int framebufferHeight,
                                                  double dt) {
        int width = 0;
        int height = 0;
        window::getFramebufferSize(width, height);
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

    // What glClear leaves in an RGBA8 pixel.
    static Rgba clearColour() {
        OffscreenTarget pixel(1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        pixel.read();
        return pixel.at(0, 0);
    }
};

// Pixels outside the rectangle (counted from the bottom, as OpenGL does)
// that are not the given colour.
int strayBandPixels(const OffscreenTarget& shown, int width, int height, const Viewport& fit,
                    const Rgba& colour) {
    int stray = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int up = height - 1 - y;
            const bool inside =
                x >= fit.x && x < fit.x + fit.width && up >= fit.y && up < fit.y + fit.height;
            stray += !inside && shown.at(x, y) != colour;
        }
    }
    return stray;
}

// Of a grid of points spread over the picture, in how many the rectangle
// shows what the 1280 x 768 picture shows at the same place, give or take
// what sampling the textures at another scale changes.
int matchingPoints(const OffscreenTarget& reference, const OffscreenTarget& shown, int height,
                   const Viewport& fit, int columns, int rows) {
    const int top = height - fit.y - fit.height;
    int matching = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const double u = (column + 0.5) / columns;
            const double v = (row + 0.5) / rows;
            const Rgba& expected =
                reference.at(static_cast<int>(u * 1280), static_cast<int>(v * 768));
            const Rgba& seen = shown.at(fit.x + static_cast<int>(u * fit.width),
                                        top + static_cast<int>(v * fit.height));
            bool close = true;
            for (int c = 0; c < 3; ++c) {
                close = close && std::abs(expected[c] - seen[c]) <= 24;
            }
            matching += close;
        }
    }
    return matching;
}

TEST_F(ResizedWindow, ThePictureKeepsItsProportionsCentredBetweenBandsOfTheClearColour) {
    const Rgba sky = clearColour();
    ASSERT_TRUE(resizeTo(1280, 768));
    const std::unique_ptr<OffscreenTarget> reference = frame(1280, 768, 0.0);
    const struct {
        const char* name;
        int width;
        int height;
        Viewport fit;
    } cases[] = {{"wider", 1500, 600, {250, 0, 1000, 600}},
                 {"taller", 900, 1000, {0, 230, 900, 540}},
                 {"minimised", 0, 0, {0, 0, 0, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // An X11 window cannot be made 0 x 0, so the minimised frame is told
        // so instead, drawing into the window as it is.
        const bool minimised = c.width == 0;
        ASSERT_TRUE(minimised || resizeTo(c.width, c.height));
        const glm::mat4 turnedBefore = theScene.importObject->modelMatrix;
        const std::unique_ptr<OffscreenTarget> shown =
            frame(c.width, c.height, minimised ? 0.5 : 0.0);
        int width = 0;
        int height = 0;
        window::getFramebufferSize(width, height);
        EXPECT_EQ(strayBandPixels(*shown, width, height, c.fit, sky), 0);
        if (minimised) {
            EXPECT_NE(theScene.importObject->modelMatrix, turnedBefore);
        } else {
            EXPECT_GT(matchingPoints(*reference, *shown, height, c.fit, 64, 40),
                      64 * 40 * 95 / 100);
        }
    }
    // The loop's own frame takes the size from the window as it is now,
    // still the taller one.
    orvane::FrameClock clock{window::getTime()};
    orvane::runFrame(clock);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const Viewport& fit = cases[1].fit;
    EXPECT_EQ(viewport[0], fit.x);
    EXPECT_EQ(viewport[1], fit.y);
    EXPECT_EQ(viewport[2], fit.width);
    EXPECT_EQ(viewport[3], fit.height);
}

} // namespace
