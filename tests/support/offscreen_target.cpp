#include "support/offscreen_target.h"

namespace orvane::test {

OffscreenTarget::OffscreenTarget(int width, int height)
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

OffscreenTarget::~OffscreenTarget() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(2, buffers);
}

void OffscreenTarget::read() {
    glReadPixels(0, 0, columns, rows, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
}

} // namespace orvane::test
