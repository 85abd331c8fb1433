// What the cube, the flyer and the ground share: geometry from constant
// tables, uploaded once into separate buffers tied together by one vertex
// array, drawn with one indexed call.
#pragma once

#include "gfx/gl.h"
#include "scene/scene_object.h"

#include <cstddef>

namespace orvane {
class ShaderProgram;
}

namespace orvane::scene {

// Four tightly packed, separate arrays: 3 floats of position, 3 of normal
// and 2 of texture coordinate per vertex, and a triangle list of indices.
struct MeshTables {
    const GLfloat* positions;
    const GLfloat* normals;
    const GLfloat* uvs;
    GLsizei vertexCount;
    const GLuint* indices;
    GLsizei indexCount;
};

// The tables with their counts taken from the arrays themselves, so that no
// count is ever written down a second time.
template <std::size_t Positions, std::size_t Normals, std::size_t Uvs, std::size_t Indices>
constexpr MeshTables meshTables(const GLfloat (&positions)[Positions],
                                const GLfloat (&normals)[Normals], const GLfloat (&uvs)[Uvs],
                                const GLuint (&indices)[Indices]) {
    static_assert(Positions % 3 == 0 && Normals == Positions && Uvs / 2 == Positions / 3 &&
                      Uvs % 2 == 0 && Indices % 3 == 0,
                  "3 floats of position and normal and 2 of uv a vertex, 3 indices a triangle");
    constexpr auto vertexCount = static_cast<GLsizei>(Positions / 3);
    constexpr auto indexCount = static_cast<GLsizei>(Indices);
    return {positions, normals, uvs, vertexCount, indices, indexCount};
}

class FixedMesh : public SceneObject {
public:
    ~FixedMesh() override;

    GLuint vao = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint normalBuffer = 0;
    GLuint uvBuffer = 0;
    // Not owned; read only while constructing, for the attribute look-ups.
    ShaderProgram* shader = nullptr;

protected:
    // Takes the shader program from the scene, as it stands at construction.
    FixedMesh(const glm::mat4& initialModelMatrix, const MeshTables& tables);
    // The draw every fixed mesh shares; the vertex array holds everything else.
    void drawMesh(GLsizei indexCount);

private:
    void upload(const MeshTables& tables);
    void bindAttribute(GLuint buffer, const char* name, GLint components);
};

} // namespace orvane::scene
