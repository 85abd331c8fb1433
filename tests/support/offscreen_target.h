// A framebuffer of our own, never what a hidden window's default one keeps.
#pragma once

#include "gfx/gl.h"

#include <array>
#include <cstdlib>
#include <vector>

namespace orvane::test {

using Rgba = std::array<unsigned char, 4>;

// The clear colour (0.3, 0.5, 1.0).
inline bool isSky(const Rgba& p) {
    return std::abs(p[0] - 77) <= 2 && std::abs(p[1] - 128) <= 2 && p[2] >= 253;
}

class OffscreenTarget {
public:
    // RGBA8 colour and a 24-bit depth buffer; bound, with the viewport on it.
    OffscreenTarget(int width, int height)
        : columns(width), rows(height), pixels(static_cast<size_t>(width) * height) {
        glGenRenderbuffers(2, buffers);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        const GLenum formats[] = {GL_RGBA8, GL_DEPTH_COMPONENT24};
        const GLenum attachments[] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
        for (int i = 0; i < 2; ++i) {
            glBindRenderbuffer(GL_RENDERBUFFER, buffers[i]);
            glRenderbufferStorage(GL_RENDERBUFFER, formats[i], width, height);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachments[i], GL_RENDERBUFFER, buffers[i]);
        }
        glViewport(0, 0, width, height);
    }
    ~OffscreenTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(2, buffers);
    }
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // Reads what was drawn; at() then counts rows from the top, as on screen.
    void read() { glReadPixels(0, 0, columns, rows, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data()); }
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
