// One hidden OpenGL 3.3 core context for a whole test program, opened the
// way the viewer opens its own, and two questions to OpenGL about its state.
#pragma once

#include "gfx/gl.h"

namespace orvane::test {

// Opens the context on first use; false when the display has none to give.
bool ensureGlContext();

// The oldest queued error; the queue is empty afterwards.
GLenum takeGlError();

GLint glInteger(GLenum name);

} // namespace orvane::test
