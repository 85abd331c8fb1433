// One mesh of the imported model on the GPU: an interleaved vertex buffer,
// an index buffer and the material it is drawn with.
#pragma once

#include "gfx/gl.h"

#include <cstddef>
#include <cstdint>
#include <glm/glm.hpp>
#include <vector>

namespace orvane::scene {

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

// A record that owns its two buffers. It is neither copied nor moved: the
// model's table is sized once and its records stay where they were made, so
// no buffer is ever deleted twice.
struct ModelMesh {
    ModelMesh() = default;
    ~ModelMesh();
    ModelMesh(const ModelMesh&) = delete;
    ModelMesh& operator=(const ModelMesh&) = delete;

    // Needs a current context; sets indexCount and creates both buffers.
    void upload(const std::vector<ModelVertex>& vertices,
                const std::vector<std::uint32_t>& indices);

    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    std::uint32_t indexCount = 0;
    std::uint32_t materialIndex = 0;

private:
    void release();
};

} // namespace orvane::scene
