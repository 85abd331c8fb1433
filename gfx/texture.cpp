// Decoding through DevIL and the upload into one mipmapped 2D texture.
#include "gfx/texture.h"

#include "gfx/image_files.h"

#include <IL/il.h>

#include <iostream>

namespace orvane {
namespace {

// The core profile takes none of the colour-index, luminance, luminance-alpha
// or alpha pixel formats, and no double samples; DevIL hands back the first
// for every palette image, the next three for grey and alpha-only ones, and
// doubles for some scientific formats (FITS). Those are converted; everything
// else goes up as it comes. An alpha-only image holds no colour, and its alpha
// is not kept: it converts, and shows, black.
ILenum coreProfileFormat(ILint format) {
    switch (format) {
    case IL_COLOUR_INDEX:
    case IL_LUMINANCE:
    case IL_ALPHA:
        return IL_RGB;
    case IL_LUMINANCE_ALPHA:
        return IL_RGBA;
    default:
        return static_cast<ILenum>(format);
    }
}

ILenum coreProfileType(ILint type) {
    return type == IL_DOUBLE ? IL_FLOAT : static_cast<ILenum>(type);
}

// False when DevIL cannot convert the bound image into what OpenGL takes.
bool makeUploadable() {
    const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    const ILint type = ilGetInteger(IL_IMAGE_TYPE);
    const ILenum wantedFormat = coreProfileFormat(format);
    const ILenum wantedType = coreProfileType(type);
    if (wantedFormat == static_cast<ILenum>(format) && wantedType == static_cast<ILenum>(type)) {
        return true;
    }
    return ilConvertImage(wantedFormat, wantedType) == IL_TRUE;
}

// What a texture that did not load shows: one black pixel, as an incomplete
// texture would sample, without the error drawing with one gives. What DevIL
// holds after a failure may be uninitialised, partly read or in a format it
// cannot convert.
void useBlankImage() {
    ILubyte black[3] = {0, 0, 0};
    ilTexImage(1, 1, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, black);
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
    readImagesSafely();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const char* path = fileName != nullptr ? fileName : "";
    std::cout << path << std::endl;
    loaded = ilLoadImage(path) == IL_TRUE && makeUploadable();
    if (!loaded) {
        std::cout << "Texture loading failed" << std::endl;
        // The texture is made complete all the same, so OpenGL has nothing to
        // complain about when it is drawn.
        useBlankImage();
    }
    uploadBoundImage();
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    ilDeleteImages(1, &image);
}

Texture::~Texture() {
    glDeleteTextures(1, &id);
}

} // namespace orvane
