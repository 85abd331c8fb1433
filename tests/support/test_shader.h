// Shader programs made from source text for a test: written to a folder of
// their own and built by the viewer's own ShaderProgram.
#pragma once

#include "gfx/shader_program.h"

#include <memory>
#include <string>

namespace orvane::test {

std::unique_ptr<ShaderProgram> makeShaderProgram(const std::string& vertexSource,
                                                 const std::string& fragmentSource);

} // namespace orvane::test
