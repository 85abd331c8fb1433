// One image file as one mipmapped OpenGL 2D texture. A file that does not
// load is reported and recorded in loaded; the texture exists all the same.
#pragma once

#include "gfx/gl.h"

namespace orvane {

class Texture {
public:
    // The path is read only while constructing.
    explicit Texture(const char* fileName);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    bool loaded = false;
    GLuint id = 0;
};

} // namespace orvane
