// A small framebuffer of our own to draw into and read back, so GL tests
// never depend on what a hidden window's default framebuffer keeps.
#pragma once

#include "gfx/gl.h"

#include <array>
#include <vector>

namespace orvane::test {

class OffscreenTarget {
public:
    // RGBA8 colour and a 24-bit depth buffer, size x size pixels.
    explicit OffscreenTarget(int size);
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // Binds it, sets the viewport to it and clears colour and depth.
    void bindAndClear(float red = 0.0f, float green = 0.0f, float blue = 0.0f);
    // Rows bottom first, as OpenGL counts them.
    std::vector<std::array<unsigned char, 4>> readPixels() const;
    bool complete() const { return isComplete; }

private:
    int edge;
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    bool isComplete = false;
};

} // namespace orvane::test
