// One mesh of the imported model on the GPU: an interleaved vertex buffer,
// an index buffer and the material it is drawn with.
#pragma once

#include "files/file_data.h"
#include "gfx/gl.h"

#include <cstdint>
#include <vector>

namespace orvane::scene {

using files::ModelVertex;

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
