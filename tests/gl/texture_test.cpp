// Image files through DevIL into textures, in a hidden context: what each
// prints, whether it loads, what OpenGL holds. The images are written at
// test time, through DevIL's own savers where it has one.
#include "gfx/texture.h"
#include "support/files.h"
#include "support/gl_context.h"

#include <IL/il.h>
#include <gtest/gtest.h>
#include <zlib.h>

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

// A PNG chunk with its length and checksum.
std::string pngChunk(const char* type, const std::string& data) {
    const std::string body = type + data;
    const auto checksum = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
    std::string chunk;
    for (const std::uint32_t word : {static_cast<std::uint32_t>(data.size()), checksum}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            chunk += static_cast<char>(word >> shift & 0xff);
        }
        chunk += chunk.size() == 4 ? body : "";
    }
    return chunk;
}

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
    // DevIL writes the image data, then IEND: the last 12 bytes.
    const std::string data = png.substr(0, png.size() - 12);
    const std::string end = png.substr(png.size() - 12);
    // What a failed load shows, as an incomplete texture would.
    const Bytes black = {0, 0, 0};
    // The header chunk comes right after the 8-byte signature, 25 bytes long.
    const std::string header = png.substr(0, 8 + 25);
    Bytes firstRow(16);
    uLongf packedSize = 64;
    std::string packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, firstRow.data(),
             firstRow.size());
    packed.resize(packedSize);
    std::string badImageChecksum = png;
    badImageChecksum[data.size() - 1] ^= 1;
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
        // No colour in the file, and the alpha is not kept: black, as with
        // alpha uploaded into RGB.
        {"alpha only", save("alpha.vtf", 2, 2, IL_ALPHA, {0, 80, 160, 255}), true, Bytes(12, 0)},
        {"doubles", write("one.fits", fitsOfOneDouble()), true, {}},
        // Colour-mapped with 8-bit map entries: DevIL reads it and cannot convert it.
        {"colour map of 8-bit entries",
         write("grey-map.tga", std::string("\0\1\1\0\0\1\0\10\0\0\0\0\1\0\1\0\10\0\20\0", 20)),
         false, black},
        {"missing", folder.path() / "missing.png", false, black},
        {"not an image", write("text.png", "this is not an image\n"), false, black},
        {"signature and header only", write("header.png", png.substr(0, 33)), false, black},
        // libpng reads what follows the image data once DevIL has the rows,
        // so none of this keeps it from loading whole.
        {"no IEND", write("no-end.png", data), true, ramp},
        {"IEND cut short", write("short-end.png", data + end.substr(0, 6)), true, ramp},
        {"IEND failing its checksum", write("bad-end.png", data + end.substr(0, 11) + "!"), true,
         ramp},
        {"an empty IDAT failing its checksum after the image data",
         write("empty-data.png", data + std::string("\0\0\0\0IDAT\1\2\3\4", 12) + end), true, ramp},
        {"cut inside an ancillary chunk after the image data",
         write("cut-text.png", data + std::string("\0\0\0\x40tEXtComment\0wr", 18)), true, ramp},
        // libpng gives up part way through the rows, and DevIL loses them.
        {"cut inside the image data", write("cut.png", png.substr(0, png.size() - 20)), false,
         black},
        {"image data failing its checksum", write("bad-data.png", badImageChecksum), false, black},
        {"image data holding one row of three",
         write("one-row.png", header + pngChunk("IDAT", packed) + end), false, black},
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
            GLint width = 0;
            GLint height = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
            Bytes held(3 * static_cast<std::size_t>(width * height));
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, held.data());
            EXPECT_EQ(held, c.shown);
        }
    }
    EXPECT_EQ(glInteger(GL_UNPACK_ALIGNMENT), 4) << "not OpenGL's default for the next upload";
}

} // namespace
