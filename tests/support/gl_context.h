// One hidden OpenGL 3.3 core context for a whole test program, on the
// display the run provides.
#pragma once

namespace orvane::test {

// Opens the context on first use. False (with the reason printed) when no
// display or no 3.3 core context can be had.
bool ensureGlContext();

} // namespace orvane::test
