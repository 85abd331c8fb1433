// Building, advancing, drawing and releasing the scene, each as a fixed
// sequence of steps.
#include "app/scene.h"

#include "camera/camera.h"
#include "camera/camera_controller.h"
#include "files/decoder.h"
#include "gfx/gl.h"
#include "gfx/shader_program.h"
#include "gfx/texture.h"
#include "scene/cube.h"
#include "scene/flieger.h"
#include "scene/import_object.h"
#include "scene/terrain.h"
#include "window/window.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace orvane {

Scene theScene;

namespace {

constexpr const char* modelPath = "Models/Untitled/models/Untitled.dae";
constexpr const char* companionCubePath = "Textures/CompanionCube.png";
constexpr const char* grassPath = "Textures/GrassTexture.png";

glm::mat4 importObjectPlacement() {
    glm::mat4 placement = glm::scale(glm::mat4(1.0f), glm::vec3(0.1f, 0.1f, 0.1f));
    placement = glm::translate(placement, glm::vec3(100.0f, 0.0f, 0.0f));
    return glm::rotate(placement, glm::radians(-90.0f), glm::vec3(1.0f, 0.0f, 0.0f));
}

void uploadMatrix(GLint location, const glm::mat4& matrix) {
    glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(matrix));
}

void bindTexture(const Texture& texture) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture.id);
}

void drawObject(scene::SceneObject& object) {
    uploadMatrix(theScene.modelMatrixLocation, object.modelMatrix);
    object.draw();
}

template <typename T> void release(T*& object) {
    delete object;
    object = nullptr;
}

} // namespace

void setupScene() {
    // Decoded while the shaders compile and the fixed meshes go up.
    files::prefetchModel(modelPath);
    files::prefetchImage(companionCubePath);
    files::prefetchImage(grassPath);
    window::setTitle("Orvane");
    glEnable(GL_DEPTH_TEST);
    window::disableCursor();
    theScene.cameraMode = true;
    theScene.camera = new Camera();
    theScene.shaderProgram = new ShaderProgram("Shader/shader.vert", "Shader/shader.frag");
    theScene.cube = new scene::Cube(glm::mat4(1.0f));
    theScene.flieger =
        new scene::Flieger(glm::translate(glm::mat4(1.0f), glm::vec3(4.0f, 5.0f, 0.0f)));
    theScene.terrain = new scene::Terrain(glm::mat4(1.0f));
    theScene.importObject = new scene::ImportObject(importObjectPlacement(), modelPath);
    const GLuint program = theScene.shaderProgram->program;
    glUseProgram(program);
    const glm::mat4 projection = glm::perspective(glm::radians(60.0f), 1.6666666f, 0.1f, 20.0f);
    theScene.projectionMatrixLocation = glGetUniformLocation(program, "projectionMatrix");
    theScene.viewMatrixLocation = glGetUniformLocation(program, "viewMatrix");
    theScene.modelMatrixLocation = glGetUniformLocation(program, "modelMatrix");
    uploadMatrix(theScene.projectionMatrixLocation, projection);
    theScene.companionCubeTexture = new Texture(companionCubePath);
    theScene.grassTexture = new Texture(grassPath);
}

void updateScene(double dt) {
    theScene.cube->update(dt);
    if (theScene.cameraMode) {
        theScene.cameraMode = updateCamera(static_cast<float>(dt));
    } else {
        theScene.cube->rotating = true;
    }
    theScene.importObject->update(dt);
    theScene.flieger->update(dt);
}

void drawScene() {
    const GLuint program = theScene.shaderProgram->program;
    glUseProgram(program);
    bindTexture(*theScene.companionCubeTexture);
    glUniform1i(glGetUniformLocation(program, "colorTexture"), 0);
    uploadMatrix(theScene.modelMatrixLocation, theScene.cube->modelMatrix);
    uploadMatrix(theScene.viewMatrixLocation, theScene.camera->viewMatrix);
    theScene.cube->draw();
    drawObject(*theScene.flieger);
    bindTexture(*theScene.grassTexture);
    drawObject(*theScene.terrain);
    drawObject(*theScene.importObject);
}

// Releases everything set-up created, the shader program, the cube and its
// texture first, so that nothing of ours outlives the context. Each release
// is skipped when its object was never made.
void teardownScene() {
    release(theScene.shaderProgram);
    release(theScene.cube);
    release(theScene.companionCubeTexture);
    release(theScene.flieger);
    release(theScene.terrain);
    release(theScene.importObject);
    release(theScene.grassTexture);
    release(theScene.camera);
}

} // namespace orvane
