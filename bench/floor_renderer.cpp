// The fixed meshes' vertex arrays already hold everything at locations 0, 1
// and 2, so the floor draws them as they are; the model's meshes get a vertex
// array each here, once, instead of attribute set-up every frame.
#include "bench/floor_renderer.h"

#include "app/scene.h"
#include "camera/camera.h"
#include "gfx/shader_program.h"
#include "gfx/texture.h"
#include "scene/cube.h"
#include "scene/flieger.h"
#include "scene/import_object.h"
#include "scene/terrain.h"

#include <glm/gtc/type_ptr.hpp>

namespace orvane::bench {
namespace {

GLsizei elementCount(GLuint vertexArray) {
    glBindVertexArray(vertexArray);
    GLint bytes = 0;
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    glBindVertexArray(0);
    return bytes / static_cast<GLint>(sizeof(GLuint));
}

const void* byteOffset(std::size_t bytes) {
    return reinterpret_cast<const void*>(bytes);
}

} // namespace

// Built by the viewer's own ShaderProgram, from files beside this one; the
// benchmark runs from the repo root.
FloorRenderer::FloorRenderer() : shader("bench/floor.vert", "bench/floor.frag") {
    mvpLocation = glGetUniformLocation(shader.program, "mvp");
    glGetUniformfv(theScene.shaderProgram->program, theScene.projectionMatrixLocation,
                   glm::value_ptr(projection));
    const GLuint cubeImage = theScene.companionCubeTexture->id;
    addFixedMesh(theScene.cube->vao, cubeImage, &theScene.cube->modelMatrix);
    addFixedMesh(theScene.flieger->vao, cubeImage, &theScene.flieger->modelMatrix);
    addFixedMesh(theScene.terrain->vao, theScene.grassTexture->id, &theScene.terrain->modelMatrix);
    addModelMeshes();
}

FloorRenderer::~FloorRenderer() {
    if (!ownVertexArrays.empty()) {
        glDeleteVertexArrays(static_cast<GLsizei>(ownVertexArrays.size()), ownVertexArrays.data());
    }
}

void FloorRenderer::drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(shader.program);
    glActiveTexture(GL_TEXTURE0);
    const glm::mat4 projectionView = projection * theScene.camera->viewMatrix;
    GLuint boundTexture = 0;
    for (const Draw& draw : draws) {
        const glm::mat4 mvp = projectionView * *draw.modelMatrix;
        glUniformMatrix4fv(mvpLocation, 1, GL_FALSE, glm::value_ptr(mvp));
        if (draw.texture != boundTexture) {
            glBindTexture(GL_TEXTURE_2D, draw.texture);
            boundTexture = draw.texture;
        }
        glBindVertexArray(draw.vertexArray);
        glDrawElements(GL_TRIANGLES, draw.indexCount, GL_UNSIGNED_INT, nullptr);
    }
    glBindVertexArray(0);
}

void FloorRenderer::addFixedMesh(GLuint vertexArray, GLuint texture, const glm::mat4* modelMatrix) {
    draws.push_back({vertexArray, elementCount(vertexArray), texture, modelMatrix});
}

// The same buffers the model draws from, with the texture its draw binds.
void FloorRenderer::addModelMeshes() {
    const scene::ImportObject& model = *theScene.importObject;
    for (const scene::ModelMesh& mesh : model.meshes) {
        GLuint vertexArray = 0;
        glGenVertexArrays(1, &vertexArray);
        ownVertexArrays.push_back(vertexArray);
        glBindVertexArray(vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
        constexpr GLsizei stride = sizeof(scene::ModelVertex);
        glEnableVertexAttribArray(0);
        glEnableVertexAttribArray(1);
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                              byteOffset(offsetof(scene::ModelVertex, position)));
        glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride,
                              byteOffset(offsetof(scene::ModelVertex, uv)));
        glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, stride,
                              byteOffset(offsetof(scene::ModelVertex, normal)));
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer);
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        GLuint texture = theScene.grassTexture->id;
        if (mesh.materialIndex < model.materialTextures.size() &&
            model.materialTextures[mesh.materialIndex]) {
            texture = model.materialTextures[mesh.materialIndex]->id;
        }
        draws.push_back(
            {vertexArray, static_cast<GLsizei>(mesh.indexCount), texture, &model.modelMatrix});
    }
}

} // namespace orvane::bench
