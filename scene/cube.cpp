#include "scene/cube.h"

#include <glm/gtc/matrix_transform.hpp>

namespace orvane::scene {
namespace {

// Four vertices a face, so every face has its own normal and mapping.
// Faces in order: -z, +z, +y, -y, +x, -x.
const GLfloat positions[] = {
    -0.5f, -0.5f, -0.5f, -0.5f, 0.5f,  -0.5f, 0.5f,  0.5f,  -0.5f, 0.5f,  -0.5f, -0.5f,
    -0.5f, -0.5f, 0.5f,  0.5f,  -0.5f, 0.5f,  0.5f,  0.5f,  0.5f,  -0.5f, 0.5f,  0.5f,
    0.5f,  0.5f,  0.5f,  0.5f,  0.5f,  -0.5f, -0.5f, 0.5f,  -0.5f, -0.5f, 0.5f,  0.5f,
    0.5f,  -0.5f, 0.5f,  -0.5f, -0.5f, 0.5f,  -0.5f, -0.5f, -0.5f, 0.5f,  -0.5f, -0.5f,
    0.5f,  0.5f,  0.5f,  0.5f,  -0.5f, 0.5f,  0.5f,  -0.5f, -0.5f, 0.5f,  0.5f,  -0.5f,
    -0.5f, 0.5f,  0.5f,  -0.5f, 0.5f,  -0.5f, -0.5f, -0.5f, -0.5f, -0.5f, -0.5f, 0.5f,
};

const GLfloat normals[] = {
    0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0,  0,  1, 0,  0,  1, 0,  0,  1, 0,  0,  1,
    0, 1, 0,  0, 1, 0,  0, 1, 0,  0, 1, 0,  0,  -1, 0, 0,  -1, 0, 0,  -1, 0, 0,  -1, 0,
    1, 0, 0,  1, 0, 0,  1, 0, 0,  1, 0, 0,  -1, 0,  0, -1, 0,  0, -1, 0,  0, -1, 0,  0,
};

// The -x face maps every corner to (0, 0): it shows one flat colour.
const GLfloat uvs[] = {
    1, 0, 1, 1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1, 0, 1, 1, 0, 1,
    1, 1, 1, 0, 0, 0, 0, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

const GLuint indices[] = {
    0,  1,  2,  0,  2,  3,  4,  5,  6,  4,  6,  7,  8,  9,  10, 8,  10, 11,
    12, 13, 14, 12, 14, 15, 16, 17, 18, 16, 18, 19, 20, 21, 22, 20, 22, 23,
};

const MeshTables tables{positions, normals, uvs, 24, indices, 36};

} // namespace

Cube::Cube(const glm::mat4& initialModelMatrix) : FixedMesh(initialModelMatrix, tables) {
    rotating = false;
}

void Cube::update(double dt) {
    if (!rotating) {
        return;
    }
    const float angle = static_cast<float>(dt) * 100.0f;
    modelMatrix = glm::rotate(modelMatrix, glm::radians(angle), glm::vec3(0.0f, 1.0f, 0.0f));
}

void Cube::draw() {
    drawMesh(36);
}

} // namespace orvane::scene
