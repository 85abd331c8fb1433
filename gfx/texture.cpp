// Decoding through DevIL and the upload into one mipmapped 2D texture.
#include "gfx/texture.h"

#include <IL/il.h>

#include <iostream>

namespace orvane {
namespace {

// The core profile has no colour-index, luminance or luminance-alpha pixel
// formats; DevIL hands back the first for every palette image and the
// others for grey ones (and for the empty image a failed load leaves).
ILenum coreProfileFormat(ILint format) {
    switch (format) {
    case IL_COLOUR_INDEX:
    case IL_LUMINANCE:
        return IL_RGB;
    case IL_LUMINANCE_ALPHA:
        return IL_RGBA;
    default:
        return static_cast<ILenum>(format);
    }
}

void makeUploadable() {
    const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    const ILenum wanted = coreProfileFormat(format);
    if (wanted != static_cast<ILenum>(format)) {
        ilConvertImage(wanted, static_cast<ILenum>(ilGetInteger(IL_IMAGE_TYPE)));
    }
}

// DevIL packs rows tightly; with OpenGL's default alignment of 4 every
// image whose rows are not a multiple of 4 bytes would come out skewed.
void uploadBoundImage() {
    const ILubyte* data = ilGetData();
    const ILint width = ilGetInteger(IL_IMAGE_WIDTH);
    const ILint height = ilGetInteger(IL_IMAGE_HEIGHT);
    const ILint type = ilGetInteger(IL_IMAGE_TYPE);
    const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, static_cast<GLenum>(format),
                 static_cast<GLenum>(type), data);
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
}

} // namespace

Texture::Texture(const char* fileName) {
    glGenTextures(1, &id);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, id);
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const char* path = fileName != nullptr ? fileName : "";
    std::cout << path << std::endl;
    const bool fileLoaded = ilLoadImage(path) == IL_TRUE;
    if (!fileLoaded) {
        std::cout << "Texture loading failed" << std::endl;
        // The empty image DevIL leaves behind is not initialised; clear it so
        // a failed texture shows one known colour.
        ilClearImage();
    }
    // Also after a failed load: the image DevIL then holds still goes up, so
    // the texture is complete and OpenGL has nothing to complain about.
    makeUploadable();
    uploadBoundImage();
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    ilDeleteImages(1, &image);
    loaded = fileLoaded;
}

Texture::~Texture() {
    glDeleteTextures(1, &id);
}

} // namespace orvane
