// The cube's tables, its turn and its draw.
#include "scene/cube.h"

#include <glm/gtc/matrix_transform.hpp>

namespace orvane::scene {
namespace {

// Four vertices a face, so every face has its own normal and mapping.
// Faces in order: -z, +z, +y, -y, +x, -x.
// clang-format off
const GLfloat positions[] = {
    -0.5f, -0.5f, -0.5f,   -0.5f,  0.5f, -0.5f,    0.5f,  0.5f, -0.5f,    0.5f, -0.5f, -0.5f,
    -0.5f, -0.5f,  0.5f,    0.5f, -0.5f,  0.5f,    0.5f,  0.5f,  0.5f,   -0.5f,  0.5f,  0.5f,
     0.5f,  0.5f,  0.5f,    0.5f,  0.5f, -0.5f,   -0.5f,  0.5f, -0.5f,   -0.5f,  0.5f,  0.5f,
     0.5f, -0.5f,  0.5f,   -0.5f, -0.5f,  0.5f,   -0.5f, -0.5f, -0.5f,    0.5f, -0.5f, -0.5f,
     0.5f,  0.5f,  0.5f,    0.5f, -0.5f,  0.5f,    0.5f, -0.5f, -0.5f,    0.5f,  0.5f, -0.5f,
    -0.5f,  0.5f,  0.5f,   -0.5f,  0.5f, -0.5f,   -0.5f, -0.5f, -0.5f,   -0.5f, -0.5f,  0.5f,
};

const GLfloat normals[] = {
     0.0f,  0.0f, -1.0f,    0.0f,  0.0f, -1.0f,    0.0f,  0.0f, -1.0f,    0.0f,  0.0f, -1.0f,
     0.0f,  0.0f,  1.0f,    0.0f,  0.0f,  1.0f,    0.0f,  0.0f,  1.0f,    0.0f,  0.0f,  1.0f,
     0.0f,  1.0f,  0.0f,    0.0f,  1.0f,  0.0f,    0.0f,  1.0f,  0.0f,    0.0f,  1.0f,  0.0f,
     0.0f, -1.0f,  0.0f,    0.0f, -1.0f,  0.0f,    0.0f, -1.0f,  0.0f,    0.0f, -1.0f,  0.0f,
     1.0f,  0.0f,  0.0f,    1.0f,  0.0f,  0.0f,    1.0f,  0.0f,  0.0f,    1.0f,  0.0f,  0.0f,
    -1.0f,  0.0f,  0.0f,   -1.0f,  0.0f,  0.0f,   -1.0f,  0.0f,  0.0f,   -1.0f,  0.0f,  0.0f,
};

// Each face maps the whole image its own way round, but the -x face maps
// every corner to (0, 0): it shows one flat colour.
const GLfloat uvs[] = {
    1.0f, 0.0f,   1.0f, 1.0f,   0.0f, 1.0f,   0.0f, 0.0f,
    0.0f, 0.0f,   1.0f, 0.0f,   1.0f, 1.0f,   0.0f, 1.0f,
    0.0f, 0.0f,   1.0f, 0.0f,   1.0f, 1.0f,   0.0f, 1.0f,
    1.0f, 1.0f,   1.0f, 0.0f,   0.0f, 0.0f,   0.0f, 1.0f,
    0.0f, 1.0f,   1.0f, 1.0f,   1.0f, 0.0f,   0.0f, 0.0f,
    0.0f, 0.0f,   0.0f, 0.0f,   0.0f, 0.0f,   0.0f, 0.0f,
};

// Two triangles a face, (b, b+1, b+2) and (b, b+2, b+3).
const GLuint indices[] = {
     0,  1,  2,    0,  2,  3,
     4,  5,  6,    4,  6,  7,
     8,  9, 10,    8, 10, 11,
    12, 13, 14,   12, 14, 15,
    16, 17, 18,   16, 18, 19,
    20, 21, 22,   20, 22, 23,
};
// clang-format on

const MeshTables tables = meshTables(positions, normals, uvs, indices);

} // namespace

Cube::Cube(const glm::mat4& initialModelMatrix) : FixedMesh(initialModelMatrix, tables) {
    rotating = false;
}

void Cube::update(double dt) {
    if (!rotating) {
        return;
    }
    // 100 degrees a second about the cube's own y axis, on top of the turns
    // the matrix already holds.
    const float degrees = static_cast<float>(dt) * 100.0f;
    modelMatrix = glm::rotate(modelMatrix, glm::radians(degrees), glm::vec3(0.0f, 1.0f, 0.0f));
}

void Cube::draw() {
    drawMesh(tables.indexCount);
}

} // namespace orvane::scene
