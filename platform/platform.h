// Everything that differs between the desktop and a web page, behind one
// seam: each build compiles one of desktop.cpp and web.cpp, and no other
// file asks where it runs.
#pragma once

#include <string>

namespace orvane::platform {

using ProcAddress = void (*)();

// The OpenGL entry points, after the context is current: GLEW, and the four
// the scene needs fetched again by name through lookup. False when GLEW fails.
bool loadOpenGL(ProcAddress (*lookup)(const char* name));

// A shader file's text as the context's compiler takes it.
std::string shaderSource(const std::string& fileText);

// Binds the fragment shader's output of that name to colour number 0,
// before the program is linked.
void bindFragmentOutput(unsigned program, const char* name);

// Runs frame until it returns false, then finish. On the desktop this is a
// loop that returns after finish. In a browser, whose page must get back
// control between two pictures, each frame is one of the page's animation
// frames: this never returns, and the program ends with status 0 after
// finish.
void runFrames(bool (*frame)(), void (*finish)());

} // namespace orvane::platform
