// Image files through DevIL into textures, in a hidden context. The images
// are written at test time through DevIL's own saver, in the formats DevIL
// hands back on reading: RGB, RGBA, grey, grey with alpha and palette.
#include "gfx/texture.h"
#include "support/gl_context.h"
#include "support/gl_query.h"
#include "support/viewer.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using orvane::Texture;
using orvane::test::glInteger;
using Bytes = std::vector<unsigned char>;

struct ImageFile {
    int width;
    int height;
    ILenum format;
    Bytes pixels;  // rows top first, as the file holds them
    Bytes palette; // RGB triples, for a colour-index image
};

Bytes ramp(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 37 + 11);
    }
    return bytes;
}

struct Construction {
    std::unique_ptr<Texture> texture;
    std::string output;
};

Construction construct(const std::filesystem::path& path) {
    testing::internal::CaptureStdout();
    auto texture = std::make_unique<Texture>(path.string().c_str());
    return {std::move(texture), testing::internal::GetCapturedStdout()};
}

// Level 0 as OpenGL holds it, rows in upload order, without padding.
Bytes readBack(GLuint texture, GLenum format, int width, int height) {
    Bytes texels(static_cast<std::size_t>(width) * height * (format == GL_RGBA ? 4 : 3));
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(orvane::test::ensureGlContext());
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    // Saved, then read back to be sure DevIL hands it over in its own format.
    std::filesystem::path write(const std::string& name, ImageFile file) {
        const auto path = folder.path() / name;
        ilInit();
        ilEnable(IL_FILE_OVERWRITE);
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        const auto depth = static_cast<ILubyte>(file.pixels.size() / (file.width * file.height));
        EXPECT_TRUE(ilTexImage(file.width, file.height, 1, depth, file.format, IL_UNSIGNED_BYTE,
                               file.pixels.data()));
        if (!file.palette.empty()) {
            ilRegisterPal(file.palette.data(), static_cast<ILuint>(file.palette.size()),
                          IL_PAL_RGB24);
        }
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
        EXPECT_TRUE(ilSaveImage(path.string().c_str()) && ilLoadImage(path.string().c_str()));
        EXPECT_EQ(ilGetInteger(IL_IMAGE_FORMAT), static_cast<ILint>(file.format)) << name;
        ilDeleteImages(1, &image);
        return path;
    }

    orvane::test::TempDir folder;
};

TEST_F(TextureTest, PrintsThePathAndALineMoreOnFailureAndLeavesEachBoundOnUnitZero) {
    const std::string png =
        orvane::test::readTextFile(write("good.png", {8, 8, IL_RGB, ramp(8 * 8 * 3), {}}));
    const struct {
        const char* name;
        std::string content; // empty: no such file
        bool loads;
    } cases[] = {
        {"good.png", png, true},
        {"missing.png", "", false},
        {"text.png", "this is not an image\n", false},
        // Signature and header only. (A file cut off inside its image data is
        // left out: DevIL 1.7.8 then leaks its row table, which would fail the
        // sanitized run on a fault that is not ours.)
        {"header-only.png", png.substr(0, 33), false},
    };
    std::vector<Construction> made; // all kept, so that each is one more texture
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = folder.path() / c.name;
        if (!c.content.empty()) {
            orvane::test::writeFile(path, c.content);
        }
        glActiveTexture(GL_TEXTURE3);
        made.push_back(construct(path));
        const Texture& texture = *made.back().texture;
        EXPECT_EQ(made.back().output,
                  path.string() + (c.loads ? "\n" : "\nTexture loading failed\n"));
        EXPECT_EQ(texture.loaded, c.loads);
        EXPECT_NE(texture.id, 0u);
        EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
        EXPECT_EQ(static_cast<GLuint>(glInteger(GL_TEXTURE_BINDING_2D)), texture.id);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(TextureTest, RgbaImageIsStoredWithoutItsAlpha) {
    const Bytes pixels = {10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255, 100, 110, 120, 7};
    const Construction made = construct(write("rgba.png", {2, 2, IL_RGBA, pixels, {}}));
    Bytes opaque = pixels;
    for (std::size_t alpha = 3; alpha < opaque.size(); alpha += 4) {
        opaque[alpha] = 255;
    }
    EXPECT_EQ(readBack(made.texture->id, GL_RGBA, 2, 2), opaque);
}

TEST_F(TextureTest, RowsThatAreNotAMultipleOfFourBytesReadBackAsTheFileHoldsThem) {
    for (const auto& [width, height] : {std::pair{3, 2}, std::pair{5, 3}}) {
        SCOPED_TRACE(width);
        const Bytes pixels = ramp(static_cast<std::size_t>(width) * height * 3);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        const Construction made = construct(write("odd.png", {width, height, IL_RGB, pixels, {}}));
        EXPECT_EQ(readBack(made.texture->id, GL_RGB, width, height), pixels);
        // What others upload later still gets OpenGL's default.
        EXPECT_EQ(glInteger(GL_UNPACK_ALIGNMENT), 4);
    }
}

TEST_F(TextureTest, GreyAndPaletteImagesUploadWithoutErrorAndShowTheirColours) {
    const struct {
        const char* name;
        ImageFile file;
        Bytes shown; // RGB, rows top first
    } cases[] = {
        {"grey.png",
         {3, 1, IL_LUMINANCE, {0, 100, 250}, {}},
         {0, 0, 0, 100, 100, 100, 250, 250, 250}},
        {"grey-alpha.png",
         {3, 1, IL_LUMINANCE_ALPHA, {30, 0, 60, 128, 90, 255}, {}},
         {30, 30, 30, 60, 60, 60, 90, 90, 90}},
        {"palette.png",
         {3, 1, IL_COLOUR_INDEX, {2, 0, 1}, {255, 0, 0, 0, 255, 0, 0, 0, 255}},
         {0, 0, 255, 255, 0, 0, 0, 255, 0}},
    };
    for (const auto& image : cases) {
        SCOPED_TRACE(image.name);
        const Construction made = construct(write(image.name, image.file));
        EXPECT_TRUE(made.texture->loaded);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(readBack(made.texture->id, GL_RGB, 3, 1), image.shown);
    }
}

} // namespace
