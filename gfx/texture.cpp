// The decoded image uploaded into one mipmapped 2D texture.
#include "gfx/texture.h"

#include "files/decoder.h"

#include <iostream>

namespace orvane {
namespace {

// What a texture that did not load shows: one black pixel, as an incomplete
// texture would sample, without the error drawing with one gives.
files::ImageData blankImage() {
    return {1, 1, GL_RGB, GL_UNSIGNED_BYTE, {0, 0, 0}};
}

// The decoder packs rows tightly; with OpenGL's default alignment of 4 every
// image whose rows are not a multiple of 4 bytes would come out skewed.
void upload(const files::ImageData& image) {
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, static_cast<GLsizei>(image.width),
                 static_cast<GLsizei>(image.height), 0, image.format, image.type,
                 image.pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
}

} // namespace

Texture::Texture(const char* fileName) {
    glGenTextures(1, &id);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, id);
    const char* path = fileName != nullptr ? fileName : "";
    std::cout << path << std::endl;
    std::optional<files::ImageData> image = files::readImage(path);
    loaded = image.has_value();
    if (!loaded) {
        std::cout << "Texture loading failed" << std::endl;
        // The texture is made complete all the same, so OpenGL has nothing to
        // complain about when it is drawn.
        image = blankImage();
    }
    upload(*image);
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

Texture::~Texture() {
    glDeleteTextures(1, &id);
}

} // namespace orvane
