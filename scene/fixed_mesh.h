// What the cube, the flyer and the ground share: geometry from constant
// tables, uploaded once into separate buffers tied together by one vertex
// array, drawn with one indexed call.
#pragma once

#include "gfx/gl.h"
#include "scene/scene_object.h"

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
