// Image files through DevIL into textures, in a hidden context: what each
// prints, whether it loads, what OpenGL holds. The images are written at
// test time, through DevIL's own savers where it has one.
#include "gfx/texture.h"
#include "support/files.h"
#include "support/gl_context.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

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
        header += card + std::string(80 - card.size(), ' ');
    }
    header.resize(2880, ' ');
    return header + std::string("\x3f\xe0", 2) + std::string(2878, '\0');
}

// Every pixel format and sample type DevIL hands back reaches OpenGL as one
// the core profile takes, rows of any length come through whole, and an
// image DevIL cannot read or convert is a failed load. Each texture is kept,
// so that each is one more, and each is left bound on unit 0.
TEST_F(TextureTest, EveryImageBecomesATextureAndEveryFailureIsReported) {
    Bytes ramp(5 * 3 * 3);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<unsigned char>(i * 37 + 11);
    }
    const std::string png = readFile(save("rgb.png", 5, 3, IL_RGB, ramp));
#ifndef _WIN32 // no FIFOs there; its own hostile names have their own test
    mkfifo((folder.path() / "fifo.png").c_str(), 0600);
#endif
    const struct {
        const char* name;
        fs::path path;
        bool loads;
        Bytes shown; // RGB as OpenGL holds it, when it matters
    } cases[] = {
        {"rows of 15 bytes", folder.path() / "rgb.png", true, ramp},
        {"alpha dropped",
         save("rgba.png", 2, 1, IL_RGBA, {10, 20, 30, 0, 40, 50, 60, 128}),
         true,
         {10, 20, 30, 40, 50, 60}},
        {"grey",
         save("grey.png", 3, 1, IL_LUMINANCE, {0, 100, 250}),
         true,
         {0, 0, 0, 100, 100, 100, 250, 250, 250}},
        {"grey with alpha",
         save("grey-alpha.png", 2, 1, IL_LUMINANCE_ALPHA, {30, 0, 90, 255}),
         true,
         {30, 30, 30, 90, 90, 90}},
        {"palette",
         save("palette.png", 3, 1, IL_COLOUR_INDEX, {2, 0, 1}, {255, 0, 0, 0, 255, 0, 0, 0, 255}),
         true,
         {0, 0, 255, 255, 0, 0, 0, 255, 0}},
        {"alpha only", save("alpha.vtf", 2, 2, IL_ALPHA, {0, 80, 160, 255}), true, {}},
        {"doubles", write("one.fits", fitsOfOneDouble()), true, {}},
        // Colour-mapped with 8-bit map entries: DevIL reads it and cannot convert it.
        {"colour map of 8-bit entries",
         write("grey-map.tga", std::string("\0\1\1\0\0\1\0\10\0\0\0\0\1\0\1\0\10\0\20\0", 20)),
         false,
         {}},
        {"missing", folder.path() / "missing.png", false, {}},
        {"not an image", write("text.png", "this is not an image\n"), false, {}},
        {"signature and header only", write("header.png", png.substr(0, 33)), false, {}},
        {"cut short", write("cut.png", png.substr(0, png.size() - 20)), false, {}},
        // Opening a FIFO waits for a writer that never comes.
        {"FIFO", folder.path() / "fifo.png", false, {}},
    };
    std::vector<std::unique_ptr<orvane::Texture>> made;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
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
            Bytes held(c.shown.size());
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, held.data());
            EXPECT_EQ(held, c.shown);
        }
    }
    EXPECT_EQ(glInteger(GL_UNPACK_ALIGNMENT), 4) << "not OpenGL's default for the next upload";
}

} // namespace
