// Whole pixels for a rectangle of fixed proportions; the arithmetic is in
// 64 bits, so no framebuffer size can overflow it.
#include "app/viewport.h"

#include <algorithm>

namespace orvane {
namespace {

constexpr long long pictureWidth = 1280;
constexpr long long pictureHeight = 768;

// a * b / c to the nearest integer, in a width that cannot overflow.
int scaled(long long a, long long b, long long c) {
    return static_cast<int>((a * b + c / 2) / c);
}

} // namespace

Viewport fitViewport(int framebufferWidth, int framebufferHeight) {
    const int width = std::max(framebufferWidth, 0);
    const int height = std::max(framebufferHeight, 0);
    Viewport viewport;
    // Rounded to the nearest pixel, the side that is not the framebuffer's
    // still fits: the framebuffer's own side is a whole number at least as long.
    if (width * pictureHeight <= height * pictureWidth) {
        viewport.width = width;
        viewport.height = scaled(width, pictureHeight, pictureWidth);
    } else {
        viewport.width = scaled(height, pictureWidth, pictureHeight);
        viewport.height = height;
    }
    viewport.x = (width - viewport.width) / 2;
    viewport.y = (height - viewport.height) / 2;
    return viewport;
}

} // namespace orvane
