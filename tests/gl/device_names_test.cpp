// Names Windows opens as a device or pipe, as a model could name a texture:
// a failed load at once, never a stall. Elsewhere they are missing files.
#include "gfx/texture.h"
#include "support/files.h"
#include "support/gl_context.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using namespace orvane::test;

TEST(DeviceNames, AreFailedTextureLoads) {
    ASSERT_TRUE(ensureGlContext());
    const TempDir folder;
    const InDirectory inFolder(folder.path());
    const char* const pipe = R"(\\.\pipe\orvane-texture)";
#ifdef _WIN32
    // A pipe with a server waiting, so that opening it as a client would work.
    const HANDLE server =
        CreateNamedPipeA(pipe, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
#endif
    for (const char* name : {"CON", "NUL", "AUX", "COM1", "NUL.png", "Textures/CON.png", pipe}) {
        SCOPED_TRACE(name);
        CapturedOutput output;
        const orvane::Texture texture(name);
        EXPECT_FALSE(texture.loaded);
        EXPECT_EQ(output.lines(), (std::vector<std::string>{name, "Texture loading failed"}));
    }
#ifdef _WIN32
    CloseHandle(server);
#endif
}

} // namespace
