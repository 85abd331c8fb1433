// The picture's place in framebuffers of every shape: whole, centred, in its
// own proportions, rounded to whole pixels without leaving the framebuffer.
#include "app/viewport.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewportFit, TheLargestCentredRectangleOfThePicturesProportions) {
    const struct {
        const char* name;
        int width, height;
        int x, y, fitWidth, fitHeight;
    } cases[] = {
        {"as designed", 1280, 768, 0, 0, 1280, 768},
        {"display scaled twice", 2560, 1536, 0, 0, 2560, 1536},
        {"a laptop's 768 less the title bar", 1366, 705, 95, 0, 1175, 705},
        {"square", 1000, 1000, 0, 200, 1000, 600},
        {"one pixel too wide to centre evenly", 1281, 768, 0, 0, 1280, 768},
        {"rounded up, still inside", 101, 1000, 0, 469, 101, 61},
        {"minimised", 0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const orvane::Viewport fit = orvane::fitViewport(c.width, c.height);
        EXPECT_EQ(fit.x, c.x);
        EXPECT_EQ(fit.y, c.y);
        EXPECT_EQ(fit.width, c.fitWidth);
        EXPECT_EQ(fit.height, c.fitHeight);
    }
}

} // namespace
