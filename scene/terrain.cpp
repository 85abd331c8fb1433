// The ground's tables and its draw; it never moves.
#include "scene/terrain.h"

namespace orvane::scene {
namespace {

// clang-format off
const GLfloat positions[] = {
    -20.0f, 0.0f,  20.0f,
     20.0f, 0.0f,  20.0f,
    -20.0f, 0.0f, -20.0f,
     20.0f, 0.0f, -20.0f,
};

const GLfloat normals[] = {
    0.0f, 1.0f, 0.0f,
    0.0f, 1.0f, 0.0f,
    0.0f, 1.0f, 0.0f,
    0.0f, 1.0f, 0.0f,
};

// The image is stretched once over the square; the far corner's 1.1 lets a
// thin strip of the opposite edge repeat there.
const GLfloat uvs[] = {
    0.0f, 0.0f,
    0.0f, 1.0f,
    1.0f, 0.0f,
    1.0f, 1.1f,
};

// Wound opposite ways; both show, since nothing culls faces.
const GLuint indices[] = {
    0, 1, 2,
    1, 2, 3,
};
// clang-format on

const MeshTables tables = meshTables(positions, normals, uvs, indices);

} // namespace

Terrain::Terrain(const glm::mat4& initialModelMatrix) : FixedMesh(initialModelMatrix, tables) {}

void Terrain::update(double /*dt*/) {}

void Terrain::draw() {
    drawMesh(tables.indexCount);
}

} // namespace orvane::scene
