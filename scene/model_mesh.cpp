// One mesh of the imported model on the GPU: upload and release.
#include "scene/model_mesh.h"

namespace orvane::scene {
namespace {

GLuint uploadBuffer(GLenum target, std::size_t bytes, const void* data) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    glBindBuffer(target, 0);
    return buffer;
}

} // namespace

ModelMesh::~ModelMesh() {
    release();
}

void ModelMesh::upload(const std::vector<ModelVertex>& vertices,
                       const std::vector<std::uint32_t>& indices) {
    release();
    indexCount = static_cast<std::uint32_t>(indices.size());
    vertexBuffer =
        uploadBuffer(GL_ARRAY_BUFFER, sizeof(ModelVertex) * vertices.size(), vertices.data());
    indexBuffer = uploadBuffer(GL_ELEMENT_ARRAY_BUFFER, sizeof(std::uint32_t) * indices.size(),
                               indices.data());
}

void ModelMesh::release() {
    if (vertexBuffer != 0) {
        glDeleteBuffers(1, &vertexBuffer);
        vertexBuffer = 0;
    }
    if (indexBuffer != 0) {
        glDeleteBuffers(1, &indexBuffer);
        indexBuffer = 0;
    }
}

} // namespace orvane::scene
