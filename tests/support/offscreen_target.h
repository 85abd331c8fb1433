// A framebuffer of our own to draw into and read back, so that GL tests never
// depend on what a hidden window's default framebuffer keeps.
#pragma once

#include "gfx/gl.h"

#include <array>
#include <vector>

namespace orvane::test {

using Rgba = std::array<unsigned char, 4>;

class OffscreenTarget {
public:
    // RGBA8 colour and a 24-bit depth buffer; bound, with the viewport on it.
    OffscreenTarget(int width, int height);
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // Reads what was drawn; at() then counts rows from the top, as on screen.
    void read();
    const Rgba& at(int x, int y) const { return pixels[(rows - 1 - y) * columns + x]; }
    const std::vector<Rgba>& picture() const { return pixels; }

private:
    int columns;
    int rows;
    GLuint framebuffer = 0;
    GLuint buffers[2] = {0, 0};
    std::vector<Rgba> pixels;
};

} // namespace orvane::test
