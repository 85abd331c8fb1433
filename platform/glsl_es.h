// Shader files written for OpenGL 3.3 (GLSL 3.30) as WebGL 2 takes them
// (GLSL ES 3.00), which differs in nothing these shaders use but the version
// line and a default precision for floats.
#pragma once

#include <string>

namespace orvane::platform {

// When the first line that is not blank reads `#version 330 core`, it becomes
// `#version 300 es` and `precision highp float;`, with a #line directive
// after them, so that the compiler's log still names the file's own line
// numbers. Every other line, and any other text, is left as it is.
std::string toGlslEs300(const std::string& source);

} // namespace orvane::platform
