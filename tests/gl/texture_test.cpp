// Image files through DevIL into textures, written at test time, through
// DevIL's own savers where it has one.
#include "gfx/texture.h"
#include "support/files.h"
#include "support/gl_context.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using namespace orvane::test;
using Bytes = std::vector<unsigned char>;

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ensureGlContext()); }

    // Saved by DevIL, rows top first, with a palette of RGB triples if given.
    fs::path save(const char* name, int width, int height, ILenum format, Bytes pixels,
                  Bytes palette = {}) {
        ilInit();
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        const auto depth = static_cast<ILubyte>(pixels.size() / (width * height));
        ilTexImage(width, height, 1, depth, format, IL_UNSIGNED_BYTE, pixels.data());
        if (!palette.empty()) {
            ilRegisterPal(palette.data(), static_cast<ILuint>(palette.size()), IL_PAL_RGB24);
        }
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
        EXPECT_TRUE(ilSaveImage((folder.path() / name).string().c_str())) << name;
        ilDeleteImages(1, &image);
        return folder.path() / name;
    }

    fs::path write(const char* name, const std::string& bytes) {
        writeFile(folder.path() / name, bytes);
        return folder.path() / name;
    }

    TempDir folder;
};

// The smallest FITS image: one sample of 0.5 as a big-endian double.
std::string fitsOfOneDouble() {
    std::string header;
    for (const std::string card :
         {"SIMPLE  =                    T", "BITPIX  =                  -64",
          "NAXIS   =                    2", "NAXIS1  =                    1",
          "NAXIS2  =                    1", "END"}) {
        header += (card + std::string(80, ' ')).substr(0, 80);
    }
    header.resize(2880, ' ');
    return header + std::string("\x3f\xe0", 2) + std::string(2878, '\0');
}

// Every format and sample type reaches OpenGL as one the core profile takes,
// rows of any length whole; what DevIL cannot read or convert fails, shown
// black. Each texture is kept, so each is a new one, left bound on unit 0.
TEST_F(TextureTest, EveryImageBecomesATextureAndEveryFailureIsReported) {
    Bytes ramp(5 * 3 * 3);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<unsigned char>(i * 37 + 11);
    }
    const std::string png = readFile(save("rows-of-15-bytes.png", 5, 3, IL_RGB, ramp));
    // The signature and header chunk are 33 bytes; IEND is the last 12.
    const std::string data = png.substr(0, png.size() - 12);
    const std::string end = png.substr(png.size() - 12);
    const std::string oneRow = readFile(save("one-row.png", 5, 1, IL_RGB, Bytes(15)));
    std::string badImageChecksum = png;
    badImageChecksum[data.size() - 1] ^= 1;
    const Bytes black = {0, 0, 0}; // a failed load, as an incomplete texture shows
    const std::string cutText("\0\0\0\x40tEXtComment\0wr", 18);
    const struct {
        fs::path path;
        bool loads;
        Bytes shown; // RGB as OpenGL holds it, when it matters
    } cases[] = {
        {folder.path() / "rows-of-15-bytes.png", true, ramp},
        {save("alpha-dropped.png", 2, 1, IL_RGBA, {10, 20, 30, 0, 40, 50, 60, 128}),
         true,
         {10, 20, 30, 40, 50, 60}},
        {save("grey.png", 3, 1, IL_LUMINANCE, {0, 100, 250}),
         true,
         {0, 0, 0, 100, 100, 100, 250, 250, 250}},
        {save("grey-alpha.png", 2, 1, IL_LUMINANCE_ALPHA, {30, 0, 90, 255}),
         true,
         {30, 30, 30, 90, 90, 90}},
        {save("palette.png", 3, 1, IL_COLOUR_INDEX, {2, 0, 1}, {255, 0, 0, 0, 255, 0, 0, 0, 255}),
         true,
         {0, 0, 255, 255, 0, 0, 0, 255, 0}},
        // No colour in the file, and its alpha not kept: black.
        {save("alpha-only.vtf", 2, 2, IL_ALPHA, {0, 80, 160, 255}), true, Bytes(12, 0)},
        {write("doubles.fits", fitsOfOneDouble()), true, {}},
        // DevIL reads it and cannot convert it.
        {write("colour-map-of-8-bit-entries.tga",
               std::string("\0\1\1\0\0\1\0\10\0\0\0\0\1\0\1\0\10\0\20\0", 20)),
         false, black},
        {folder.path() / "missing.png", false, black},
        {write("not-an-image.png", "this is not an image\n"), false, black},
        {write("signature-and-header-only.png", png.substr(0, 33)), false, black},
        // Read by libpng after DevIL has the rows: none keeps it from loading.
        {write("no-iend.png", data), true, ramp},
        {write("iend-cut-short.png", data + end.substr(0, 6)), true, ramp},
        {write("iend-failing-its-checksum.png", data + end.substr(0, 11) + "!"), true, ramp},
        {write("empty-idat-failing-its-checksum-after-the-data.png",
               data + std::string("\0\0\0\0IDAT\1\2\3\4", 12) + end),
         true, ramp},
        {write("cut-inside-a-text-chunk-after-the-data.png", data + cutText), true, ramp},
        // libpng gives up part way through the rows, and DevIL loses them.
        {write("cut-inside-the-data.png", png.substr(0, png.size() - 20)), false, black},
        {write("data-failing-its-checksum.png", badImageChecksum), false, black},
        {write("data-holding-one-row-of-three.png",
               png.substr(0, 33) + oneRow.substr(33, oneRow.size() - 45) + end),
         false, black},
    };
    std::vector<std::unique_ptr<orvane::Texture>> made;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.filename());
        glActiveTexture(GL_TEXTURE3);
        CapturedOutput output;
        made.push_back(std::make_unique<orvane::Texture>(c.path.string().c_str()));
        std::vector<std::string> lines = {c.path.string(), "Texture loading failed"};
        lines.resize(c.loads ? 1 : 2);
        EXPECT_EQ(output.lines(), lines);
        EXPECT_EQ(made.back()->loaded, c.loads);
        EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
        EXPECT_EQ(static_cast<GLuint>(glInteger(GL_TEXTURE_BINDING_2D)), made.back()->id);
        EXPECT_EQ(takeGlError(), static_cast<GLenum>(GL_NO_ERROR));
        if (!c.shown.empty()) { // the whole of level 0
            GLint size[2] = {};
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size[0]);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size[1]);
            Bytes held(3 * static_cast<std::size_t>(size[0] * size[1]));
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, held.data());
            EXPECT_EQ(held, c.shown);
        }
    }
    EXPECT_EQ(glInteger(GL_UNPACK_ALIGNMENT), 4) << "not OpenGL's default for the next upload";
}

#ifdef _WIN32
// As on Linux, an image that another program holds open for writing (and
// deleting, as one that saves by renaming does) loads.
TEST_F(TextureTest, AnImageAnotherProgramHoldsOpenForWritingLoads) {
    const fs::path path = save("held.png", 1, 1, IL_RGB, {1, 2, 3});
    const HANDLE holder = CreateFileW(path.wstring().c_str(), GENERIC_WRITE | DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const CapturedOutput quiet;
    EXPECT_TRUE(orvane::Texture(path.string().c_str()).loaded);
    CloseHandle(holder);
}
#endif

} // namespace
