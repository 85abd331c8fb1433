// What the viewer receives for a model or an image file: plain data, no
// library's types, ready to go to OpenGL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <glm/glm.hpp>
#include <optional>
#include <string>
#include <vector>

namespace orvane::files {

// The interleaved vertex the model's vertex buffer holds: attribute 0 at
// byte 0, attribute 1 at byte 12, attribute 2 at byte 20, 32 bytes apart.
struct ModelVertex {
    glm::vec3 position{0.0f};
    glm::vec2 uv{0.0f};
    glm::vec3 normal{0.0f};
};

static_assert(sizeof(ModelVertex) == 32, "the vertex buffer layout is 8 packed floats");
static_assert(offsetof(ModelVertex, uv) == 12 && offsetof(ModelVertex, normal) == 20,
              "the attribute offsets are fixed");

struct MeshData {
    std::vector<ModelVertex> vertices;
    // Three per triangle, each naming one of the mesh's own vertices.
    std::vector<std::uint32_t> indices;
    std::uint32_t materialIndex = 0;
};

struct ModelData {
    std::vector<MeshData> meshes;
    // Per material, the path text of its first diffuse texture exactly as the
    // file names it; none when it names none.
    std::vector<std::optional<std::string>> diffuseTextures;
};

// Rows one after the other, tightly packed, in a pixel format and sample
// type that an OpenGL core profile takes (their GL codes).
struct ImageData {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t format = 0;
    std::uint32_t type = 0;
    std::vector<unsigned char> pixels;
};

// The size of one pixel of this format and sample type; 0 for a pair that
// is not one the viewer takes (RGB, RGBA, BGR or BGRA, in whole numbers of
// 8, 16 or 32 bits, half or single floats).
std::uint32_t bytesPerPixel(std::uint32_t format, std::uint32_t type);

} // namespace orvane::files
