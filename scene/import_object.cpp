// Loading the Collada model into GPU meshes and material textures, turning
// it and drawing it.
#include "scene/import_object.h"

#include "app/scene.h"
#include "files/decoder.h"
#include "gfx/texture.h"
#include "scene/model_loading.h"

#include <cstdio>
#include <glm/gtc/matrix_transform.hpp>
#include <iostream>
#include <memory>

namespace orvane::scene {
namespace {

constexpr const char* fallbackTexturePath = "Textures/CompanionCube.png";

constexpr GLuint positionLocation = 0;
constexpr GLuint uvLocation = 1;
constexpr GLuint normalLocation = 2;

// A material's texture, looked up under the model's directory exactly as the
// file names it.
std::string texturePath(const std::string& directory, const std::string& named) {
    return directory + "/" + named;
}

const void* byteOffset(std::size_t bytes) {
    return reinterpret_cast<const void*>(bytes);
}

} // namespace

ImportObject::ImportObject(const glm::mat4& initialModelMatrix, const std::string& path)
    : SceneObject(initialModelMatrix), shader(theScene.shaderProgram) {
    glGenVertexArrays(1, &vao);
    // Bound while loading, so that binding the element buffers for upload
    // never disturbs another object's vertex array.
    glBindVertexArray(vao);
    loadFile(path);
    glBindVertexArray(0);
}

ImportObject::~ImportObject() {
    glDeleteVertexArrays(1, &vao);
}

void ImportObject::update(double dt) {
    // 100 degrees a second about the model's own z axis, without limit.
    const float degrees = static_cast<float>(dt) * 100.0f;
    modelMatrix = glm::rotate(modelMatrix, glm::radians(degrees), glm::vec3(0.0f, 0.0f, 1.0f));
}

void ImportObject::draw() {
    glBindVertexArray(vao);
    glEnableVertexAttribArray(positionLocation);
    glEnableVertexAttribArray(uvLocation);
    glEnableVertexAttribArray(normalLocation);
    for (const ModelMesh& mesh : meshes) {
        drawMesh(mesh);
    }
    glDisableVertexAttribArray(positionLocation);
    glDisableVertexAttribArray(uvLocation);
    glDisableVertexAttribArray(normalLocation);
    glBindVertexArray(0);
}

void ImportObject::drawMesh(const ModelMesh& mesh) {
    constexpr GLsizei stride = sizeof(ModelVertex);
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
    glVertexAttribPointer(positionLocation, 3, GL_FLOAT, GL_FALSE, stride,
                          byteOffset(offsetof(ModelVertex, position)));
    glVertexAttribPointer(uvLocation, 2, GL_FLOAT, GL_FALSE, stride,
                          byteOffset(offsetof(ModelVertex, uv)));
    glVertexAttribPointer(normalLocation, 3, GL_FLOAT, GL_FALSE, stride,
                          byteOffset(offsetof(ModelVertex, normal)));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer);
    // A material index outside the table keeps whatever unit 0 holds.
    if (mesh.materialIndex < materialTextures.size() && materialTextures[mesh.materialIndex]) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, materialTextures[mesh.materialIndex]->id);
    }
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indexCount), GL_UNSIGNED_INT,
                   byteOffset(0));
}

void ImportObject::loadFile(const std::string& path) {
    std::optional<files::ModelData> scene = files::readModel(path);
    if (!scene) {
        std::cout << "Failed to load the scene: " << path << std::endl;
        return;
    }
    buildFromScene(*scene, path);
}

void ImportObject::buildFromScene(files::ModelData& scene, const std::string& path) {
    meshes = std::vector<ModelMesh>(scene.meshes.size());
    materialTextures = std::vector<std::unique_ptr<Texture>>(scene.diffuseTextures.size());
    std::cout << meshes.size() << std::endl;
    // The decoder reads the materials' images while the meshes go up.
    const std::string directory = modelDirectory(path);
    for (const std::optional<std::string>& named : scene.diffuseTextures) {
        files::prefetchImage(named ? texturePath(directory, *named) : fallbackTexturePath);
    }
    for (std::size_t i = 0; i < meshes.size(); ++i) {
        convertMesh(static_cast<unsigned int>(i), std::move(scene.meshes[i]));
    }
    loadMaterialTextures(scene, path);
}

// The mesh's data is freed as soon as it is on the GPU.
void ImportObject::convertMesh(unsigned int index, files::MeshData mesh) {
    meshes[index].materialIndex = mesh.materialIndex;
    meshes[index].upload(mesh.vertices, mesh.indices);
}

void ImportObject::loadMaterialTextures(const files::ModelData& scene, const std::string& path) {
    const std::string directory = modelDirectory(path);
    for (std::size_t m = 0; m < materialTextures.size(); ++m) {
        if (scene.diffuseTextures[m]) {
            materialTextures[m] =
                loadDiffuseTexture(texturePath(directory, *scene.diffuseTextures[m]));
        }
        // Every material gets a texture of its own, even when it is this one.
        if (!materialTextures[m]) {
            materialTextures[m] = std::make_unique<Texture>(fallbackTexturePath);
        }
    }
}

// Null when it does not load.
std::unique_ptr<Texture> ImportObject::loadDiffuseTexture(const std::string& fullPath) {
    auto texture = std::make_unique<Texture>(fullPath.c_str());
    if (texture->loaded) {
        std::printf("Loaded texture '%s'\n", fullPath.c_str());
        std::fflush(stdout);
        return texture;
    }
    std::printf("Error loading texture '%s'\n", fullPath.c_str());
    std::fflush(stdout);
    return nullptr;
}

} // namespace orvane::scene
