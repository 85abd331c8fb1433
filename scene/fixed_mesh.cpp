// Upload, draw and release shared by the meshes built from constant tables.
#include "scene/fixed_mesh.h"

#include "app/scene.h"
#include "gfx/shader_program.h"

namespace orvane::scene {
namespace {

GLuint uploadBuffer(GLenum target, GLsizeiptr bytes, const void* data) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, bytes, data, GL_STATIC_DRAW);
    glBindBuffer(target, 0);
    return buffer;
}

} // namespace

FixedMesh::FixedMesh(const glm::mat4& initialModelMatrix, const MeshTables& tables)
    : SceneObject(initialModelMatrix), shader(theScene.shaderProgram) {
    upload(tables);
}

FixedMesh::~FixedMesh() {
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteBuffers(1, &indexBuffer);
    glDeleteBuffers(1, &normalBuffer);
    glDeleteBuffers(1, &uvBuffer);
    glDeleteVertexArrays(1, &vao);
}

void FixedMesh::drawMesh(GLsizei indexCount) {
    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

void FixedMesh::upload(const MeshTables& tables) {
    const GLsizeiptr vertices = tables.vertexCount;
    vertexBuffer = uploadBuffer(GL_ARRAY_BUFFER, 12 * vertices, tables.positions);
    normalBuffer = uploadBuffer(GL_ARRAY_BUFFER, 12 * vertices, tables.normals);
    uvBuffer = uploadBuffer(GL_ARRAY_BUFFER, 8 * vertices, tables.uvs);
    indexBuffer =
        uploadBuffer(GL_ELEMENT_ARRAY_BUFFER, 4 * GLsizeiptr{tables.indexCount}, tables.indices);

    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    bindAttribute(vertexBuffer, "position", 3);
    bindAttribute(normalBuffer, "normal", 3);
    bindAttribute(uvBuffer, "uv", 2);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);

    // The element buffer is unbound only after the vertex array: unbinding it
    // while the array is bound would detach it from the array.
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

// A shader without the input yields -1; skipping it saves OpenGL an error
// and leaves the picture the same.
void FixedMesh::bindAttribute(GLuint buffer, const char* name, GLint components) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const GLint location = glGetAttribLocation(shader->program, name);
    if (location < 0) {
        return;
    }
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0,
                          nullptr);
}

} // namespace orvane::scene
