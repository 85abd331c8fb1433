// Writing shader sources to files and building programs from them.
#include "support/test_shader.h"

#include "support/viewer.h"

namespace orvane::test {

std::unique_ptr<ShaderProgram> makeShaderProgram(const std::string& vertexSource,
                                                 const std::string& fragmentSource) {
    const TempDir folder;
    writeFile(folder.path() / "test.vert", vertexSource);
    writeFile(folder.path() / "test.frag", fragmentSource);
    return std::make_unique<ShaderProgram>((folder.path() / "test.vert").string(),
                                           (folder.path() / "test.frag").string());
}

} // namespace orvane::test
