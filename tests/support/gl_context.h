// One hidden OpenGL 3.3 core context for a whole test program, opened the
// way the viewer opens its own, and questions to OpenGL about its state.
#pragma once

#include "gfx/gl.h"

namespace orvane::test {

// Opens the context on first use; false when the display has none to give.
bool ensureGlContext();

// The oldest queued error; the queue is empty afterwards.
GLenum takeGlError();

GLint glInteger(GLenum name);

// The size of a buffer object's store, in bytes.
GLint bufferBytes(GLuint buffer);

} // namespace orvane::test
