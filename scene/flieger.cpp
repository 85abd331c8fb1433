// The dart-shaped flyer: its constant tables, and the matrix that keeps it
// at one place in front of the camera.
#include "scene/flieger.h"

#include "app/scene.h"
#include "camera/camera.h"

#include <glm/gtc/matrix_transform.hpp>

namespace orvane::scene {
namespace {

// Two flat wings meeting at the nose (0, 0, 1), and a keel below them.
// clang-format off
const GLfloat positions[] = {
    -0.05f, 0.0f,  -1.0f,
    -0.5f,  0.0f,  -1.0f,
     0.0f,  0.0f,   1.0f,
     0.5f,  0.0f,  -1.0f,
     0.05f, 0.0f,  -1.0f,
    -0.05f, 0.0f,  -1.0f,
     0.0f, -0.5f,  -1.0f,
     0.0f,  0.0f,   1.0f,
     0.05f, 0.0f,  -1.0f,
};

// The wings face up, the keel sideways.
const GLfloat normals[] = {
    0.0f, 1.0f, 0.0f,
    0.0f, 1.0f, 0.0f,
    0.0f, 1.0f, 0.0f,
    0.0f, 1.0f, 0.0f,
    0.0f, 1.0f, 0.0f,
    1.0f, 0.0f, 0.0f,
    1.0f, 0.0f, 0.0f,
    1.0f, 0.0f, 0.0f,
    1.0f, 0.0f, 0.0f,
};

const GLfloat uvs[] = {
    1.0f, 0.0f,
    0.0f, 0.0f,
    0.0f, 1.0f,
    1.0f, 1.0f,
    1.0f, 0.0f,
    1.0f, 0.0f,
    1.0f, 1.0f,
    0.0f, 1.0f,
    1.0f, 0.0f,
};

const GLuint indices[] = {
    0, 1, 2,
    2, 3, 4,
    5, 6, 7,
    6, 7, 8,
};
// clang-format on

const MeshTables tables = meshTables(positions, normals, uvs, indices);

// The flyer's place in the camera's own frame: 0.5 below the eye, 2.3 ahead,
// and the two half turns that point its nose away from the viewer.
glm::mat4 placeInEye() {
    glm::mat4 eye = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, -0.5f, -2.3f));
    eye = glm::rotate(eye, glm::radians(-180.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    return glm::rotate(eye, glm::radians(180.0f), glm::vec3(0.0f, 0.0f, 1.0f));
}

} // namespace

Flieger::Flieger(const glm::mat4& initialModelMatrix)
    : FixedMesh(initialModelMatrix, tables), camera(theScene.camera) {}

void Flieger::update(double /*dt*/) {
    // The place in the eye's frame depends on nothing; build it once.
    static const glm::mat4 eye = placeInEye();
    modelMatrix = glm::inverse(camera->viewMatrix) * eye;
}

void Flieger::draw() {
    drawMesh(tables.indexCount);
}

} // namespace orvane::scene
