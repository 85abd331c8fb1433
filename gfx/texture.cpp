#include "gfx/texture.h"

namespace orvane {

// Placeholder until the image loading lands.
Texture::Texture(const char* /*fileName*/) {
    glGenTextures(1, &id);
}

Texture::~Texture() {
    glDeleteTextures(1, &id);
}

} // namespace orvane
