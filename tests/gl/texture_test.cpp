// Image files through DevIL into textures, in a hidden context. The images
// are written at test time through DevIL's own saver, in the formats DevIL
// hands back on reading: RGB, RGBA, grey, grey with alpha and palette.
#include "gfx/texture.h"
#include "support/gl_context.h"
#include "support/viewer.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using orvane::Texture;
using orvane::test::TempDir;
using Bytes = std::vector<unsigned char>;

struct ImageFile {
    int width;
    int height;
    ILenum format;
    int bytesPerPixel;
    Bytes pixels;  // rows top first, as the file holds them
    Bytes palette; // RGB triples, for a colour-index image
};

bool writeImage(const std::filesystem::path& path, const ImageFile& file) {
    ilInit();
    ilEnable(IL_FILE_OVERWRITE);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    Bytes pixels = file.pixels;
    bool written = ilTexImage(file.width, file.height, 1, file.bytesPerPixel, file.format,
                              IL_UNSIGNED_BYTE, pixels.data()) == IL_TRUE;
    if (!file.palette.empty()) {
        Bytes palette = file.palette;
        ilRegisterPal(palette.data(), static_cast<ILuint>(palette.size()), IL_PAL_RGB24);
    }
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    written = written && ilSaveImage(path.string().c_str()) == IL_TRUE;
    ilDeleteImages(1, &image);
    return written;
}

// What DevIL makes of the file when it reads it back.
ILint decodedFormat(const std::filesystem::path& path) {
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const bool read = ilLoadImage(path.string().c_str()) == IL_TRUE;
    const ILint format = read ? ilGetInteger(IL_IMAGE_FORMAT) : 0;
    ilDeleteImages(1, &image);
    return format;
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
    const int channels = format == GL_RGBA ? 4 : 3;
    Bytes texels(static_cast<size_t>(width) * height * channels);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return texels;
}

GLint levelParameter(GLuint texture, GLint level, GLenum name) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

Bytes rgbRamp(int width, int height) {
    Bytes pixels(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>(i * 37 + 11);
    }
    return pixels;
}

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(orvane::test::ensureGlContext());
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    std::filesystem::path write(const std::string& name, const ImageFile& file) {
        const auto path = folder.path() / name;
        EXPECT_TRUE(writeImage(path, file)) << name;
        return path;
    }

    TempDir folder;
};

TEST_F(TextureTest, LoadedFilePrintsItsPathOnceAndBecomesAMipmappedTexture) {
    const auto path = write("ramp.png", {4, 4, IL_RGB, 3, rgbRamp(4, 4), {}});
    const Construction made = construct(path);
    EXPECT_EQ(made.output, path.string() + "\n");
    EXPECT_TRUE(made.texture->loaded);
    EXPECT_NE(made.texture->id, 0u);
    EXPECT_EQ(levelParameter(made.texture->id, 2, GL_TEXTURE_WIDTH), 1) << "no mipmap chain";
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureTest, FileThatDoesNotLoadIsReportedAndStillGetsAUsableTexture) {
    const auto good = write("good.png", {8, 8, IL_RGB, 3, rgbRamp(8, 8), {}});
    const std::string png = orvane::test::readTextFile(good);
    struct Broken {
        const char* name;
        std::string content;
        bool create;
    };
    const Broken cases[] = {
        {"missing.png", "", false},
        {"empty.png", "", true},
        {"text.png", "this is not an image\n", true},
        {"truncated.png", png.substr(0, png.size() / 2), true},
        {"header-only.png", png.substr(0, 33), true},
    };
    for (const Broken& broken : cases) {
        SCOPED_TRACE(broken.name);
        const auto path = folder.path() / broken.name;
        if (broken.create) {
            orvane::test::writeFile(path, broken.content);
        }
        Construction made = construct(path);
        EXPECT_EQ(made.output, path.string() + "\nTexture loading failed\n");
        EXPECT_FALSE(made.texture->loaded);
        const GLuint id = made.texture->id;
        EXPECT_NE(id, 0u);
        EXPECT_TRUE(glIsTexture(id));
        EXPECT_GT(levelParameter(id, 0, GL_TEXTURE_WIDTH), 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        made.texture.reset();
        EXPECT_FALSE(glIsTexture(id));
    }
}

TEST_F(TextureTest, RgbaImageIsStoredWithoutItsAlpha) {
    const Bytes pixels = {10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255, 100, 110, 120, 7};
    const auto path = write("rgba.png", {2, 2, IL_RGBA, 4, pixels, {}});
    ASSERT_EQ(decodedFormat(path), IL_RGBA);
    const Construction made = construct(path);
    EXPECT_EQ(levelParameter(made.texture->id, 0, GL_TEXTURE_ALPHA_SIZE), 0);
    const Bytes texels = readBack(made.texture->id, GL_RGBA, 2, 2);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texels[i * 4], pixels[i * 4]);
        EXPECT_EQ(texels[i * 4 + 1], pixels[i * 4 + 1]);
        EXPECT_EQ(texels[i * 4 + 2], pixels[i * 4 + 2]);
        EXPECT_EQ(texels[i * 4 + 3], 255);
    }
}

TEST_F(TextureTest, RowsThatAreNotAMultipleOfFourBytesReadBackAsTheFileHoldsThem) {
    const std::pair<int, int> sizes[] = {{3, 2}, {5, 3}, {1, 7}, {7, 5}, {4, 3}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const Bytes pixels = rgbRamp(width, height);
        const auto path = write("odd.png", {width, height, IL_RGB, 3, pixels, {}});
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        const Construction made = construct(path);
        EXPECT_EQ(readBack(made.texture->id, GL_RGB, width, height), pixels);
        // What others upload later still gets OpenGL's default.
        EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 4);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

struct Converted {
    const char* name;
    ImageFile file;
    ILint decodedAs;
    Bytes shown; // RGB, rows top first
};

TEST_F(TextureTest, GreyAndPaletteImagesUploadWithoutErrorAndShowTheirColours) {
    const Converted cases[] = {
        {"grey.png",
         {3, 2, IL_LUMINANCE, 1, {0, 50, 100, 150, 200, 250}, {}},
         IL_LUMINANCE,
         {0, 0, 0, 50, 50, 50, 100, 100, 100, 150, 150, 150, 200, 200, 200, 250, 250, 250}},
        {"grey-alpha.png",
         {3, 1, IL_LUMINANCE_ALPHA, 2, {30, 0, 60, 128, 90, 255}, {}},
         IL_LUMINANCE_ALPHA,
         {30, 30, 30, 60, 60, 60, 90, 90, 90}},
        {"palette.png",
         {3,
          2,
          IL_COLOUR_INDEX,
          1,
          {0, 1, 2, 3, 2, 1},
          {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0}},
         IL_COLOUR_INDEX,
         {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 255, 0}},
    };
    for (const Converted& image : cases) {
        SCOPED_TRACE(image.name);
        const auto path = write(image.name, image.file);
        ASSERT_EQ(decodedFormat(path), image.decodedAs) << "DevIL reads it in another format";
        const Construction made = construct(path);
        EXPECT_TRUE(made.texture->loaded);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(readBack(made.texture->id, GL_RGB, image.file.width, image.file.height),
                  image.shown);
    }
}

TEST_F(TextureTest, TwoTexturesLeaveTheSecondBoundOnUnitZero) {
    const auto path = write("small.png", {2, 2, IL_RGB, 3, rgbRamp(2, 2), {}});
    glActiveTexture(GL_TEXTURE3);
    const Construction first = construct(path);
    const Construction second = construct(path);
    EXPECT_NE(first.texture->id, second.texture->id);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), second.texture->id);
}

} // namespace
