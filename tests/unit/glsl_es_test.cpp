// The shader text as the web build hands it to WebGL 2: only a desktop
// version line changes, and the compiler's line numbers stay the file's.
#include "platform/glsl_es.h"
#include "support/files.h"

#include <gtest/gtest.h>

namespace {

using orvane::platform::toGlslEs300;

const std::string es = "#version 300 es\nprecision highp float;\n";

TEST(GlslEs, TheShippedShadersChangeInTheirVersionLineAlone) {
    for (const char* name : {"shader.vert", "shader.frag"}) {
        const std::string text =
            orvane::test::readFile(std::string(ORVANE_SOURCE_DIR) + "/Shader/" + name);
        ASSERT_EQ(text.rfind("#version 330 core\n", 0), 0u) << name;
        const std::string rest = text.substr(text.find('\n'));
        EXPECT_EQ(toGlslEs300(text), es + "#line 2" + rest) << name;
    }
}

TEST(GlslEs, AVersionLineAfterBlankLinesOrWithOtherSpacingIsRewritten) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\n  \n#version 330 core\nvoid main() {}\n", "\n  \n" + es + "#line 4\nvoid main() {}\n"},
        {"#version 330 core\r\nvoid main() {}\r\n", es + "#line 2\nvoid main() {}\r\n"},
        {"  #  version\t330   core  \nx", es + "#line 2\nx"},
        {"#version 330 core", es + "#line 2"},
    };
    for (const auto& [given, wanted] : cases) {
        EXPECT_EQ(toGlslEs300(given), wanted) << given;
    }
}

// Anything else reaches the compiler as it is, to be judged there.
TEST(GlslEs, EveryOtherTextIsLeftAsItIs) {
    for (const std::string text :
         {"", "\n\n", "#version 300 es\nvoid main() {}\n", "#version 330\nvoid main() {}\n",
          "#version 330 core compatibility\n", "#version 3300 core\n",
          "// first\n#version 330 core\n", "void main() {}\n#version 330 core\n",
          "#define version 330 core\n"}) {
        EXPECT_EQ(toGlslEs300(text), text) << text;
    }
}

} // namespace
