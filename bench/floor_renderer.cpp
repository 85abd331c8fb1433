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
#include <iostream>

namespace orvane::bench {
namespace {

const char* const vertexSource = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 uv;
uniform mat4 mvp;
out vec2 fragmentUv;
void main() {
    fragmentUv = uv;
    gl_Position = mvp * vec4(position, 1.0);
}
)";

const char* const fragmentSource = R"(#version 330 core
in vec2 fragmentUv;
uniform sampler2D colorTexture;
out vec4 fragcolor;
void main() {
    fragcolor = texture(colorTexture, fragmentUv);
}
)";

GLuint compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == GL_FALSE) {
        std::cerr << "The floor's shader did not compile" << std::endl;
    }
    return shader;
}

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

FloorRenderer::FloorRenderer() {
    buildProgram();
    if (program == 0) {
        return;
    }
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
    glDeleteProgram(program);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
}

void FloorRenderer::drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(program);
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

void FloorRenderer::buildProgram() {
    vertexShader = compile(GL_VERTEX_SHADER, vertexSource);
    fragmentShader = compile(GL_FRAGMENT_SHADER, fragmentSource);
    program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glBindFragDataLocation(program, 0, "fragcolor");
    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == GL_FALSE) {
        std::cerr << "The floor's program did not link" << std::endl;
        glDeleteProgram(program);
        program = 0;
        return;
    }
    mvpLocation = glGetUniformLocation(program, "mvp");
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
