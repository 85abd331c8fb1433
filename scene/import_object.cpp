// Loading the Collada model into GPU meshes and material textures, turning
// it and drawing it.
#include "scene/import_object.h"

#include "app/scene.h"
#include "gfx/image_files.h"
#include "gfx/texture.h"
#include "scene/model_loading.h"

#include <assimp/DefaultIOStream.h>
#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <cstdio>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <iostream>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace orvane::scene {
namespace {

// Tangent space, joined vertices, triangles, and one primitive type per
// mesh: 0x800B. Nothing else, so no normals are made up and the node
// transformations are not baked into the vertices.
constexpr unsigned int importSteps = aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices |
                                     aiProcess_Triangulate | aiProcess_SortByPType;
static_assert(importSteps == 0x800B, "the import steps are fixed");

constexpr const char* fallbackTexturePath = "Textures/CompanionCube.png";

constexpr GLuint positionLocation = 0;
constexpr GLuint uvLocation = 1;
constexpr GLuint normalLocation = 2;

// Assimp opens whatever is at a path, and blocks on a FIFO until a writer
// comes; through this it reads regular files only.
// Assimp's own stream, on a file opened our way (its constructor is protected).
class RegularFileStream : public Assimp::DefaultIOStream {
public:
    RegularFileStream(std::FILE* file, const std::string& path) : DefaultIOStream(file, path) {}
};

class RegularFilesOnly : public Assimp::DefaultIOSystem {
public:
    using DefaultIOSystem::Exists;
    bool Exists(const char* path) const override {
        std::FILE* file = openRegularFile(path);
        return file != nullptr && std::fclose(file) == 0;
    }

    Assimp::IOStream* Open(const char* path, const char* mode) override {
        std::FILE* file = std::strchr(mode, 'r') != nullptr ? openRegularFile(path) : nullptr;
        return file != nullptr ? new RegularFileStream(file, path) : nullptr;
    }
};

// The whole file, when it is a regular file.
std::optional<std::string> readRegularFile(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openRegularFile(path.c_str()),
                                                               std::fclose);
    if (!file) {
        return std::nullopt;
    }
    // Sized once: growing a string of a large model would hold two copies.
    struct stat status {};
    std::string contents;
    if (fstat(fileno(file.get()), &status) == 0) {
        contents.resize(static_cast<std::size_t>(status.st_size));
    }
    contents.resize(std::fread(contents.data(), 1, contents.size(), file.get()));
    return contents;
}

// The document is checked, and freed, before Assimp reads it again: the two
// never take memory at once.
bool assimpCanReadSafely(const std::string& path) {
    std::optional<std::string> document = readRegularFile(path);
    return document && colladaIsSafeToRead(std::move(*document));
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
    Assimp::Importer importer;
    importer.SetIOHandler(new RegularFilesOnly); // the importer owns it
    const aiScene* scene =
        assimpCanReadSafely(path) ? importer.ReadFile(path.c_str(), importSteps) : nullptr;
    if (scene == nullptr) {
        std::cout << "Failed to load the scene: " << path << std::endl;
        return;
    }
    buildFromScene(*scene, path);
}

void ImportObject::buildFromScene(const aiScene& scene, const std::string& path) {
    const unsigned int meshCount = scene.mMeshes == nullptr ? 0 : scene.mNumMeshes;
    const unsigned int materialCount = scene.mMaterials == nullptr ? 0 : scene.mNumMaterials;
    meshes = std::vector<ModelMesh>(meshCount);
    materialTextures = std::vector<std::unique_ptr<Texture>>(materialCount);
    std::cout << meshes.size() << std::endl;
    for (unsigned int i = 0; i < meshCount; ++i) {
        if (scene.mMeshes[i] != nullptr) {
            convertMesh(i, *scene.mMeshes[i]);
        }
    }
    loadMaterialTextures(scene, path);
}

void ImportObject::convertMesh(unsigned int index, const aiMesh& mesh) {
    meshes[index].materialIndex = mesh.mMaterialIndex;
    std::vector<ModelVertex> vertices;
    std::vector<std::uint32_t> indices;
    collectVertices(mesh, vertices);
    collectTriangleIndices(mesh, indices);
    meshes[index].upload(vertices, indices);
}

void ImportObject::loadMaterialTextures(const aiScene& scene, const std::string& path) {
    const std::string directory = modelDirectory(path);
    for (std::size_t m = 0; m < materialTextures.size(); ++m) {
        if (scene.mMaterials[m] != nullptr) {
            materialTextures[m] = loadDiffuseTexture(*scene.mMaterials[m], directory);
        }
        // Every material gets a texture of its own, even when it is this one.
        if (!materialTextures[m]) {
            materialTextures[m] = std::make_unique<Texture>(fallbackTexturePath);
        }
    }
}

// The material's first diffuse texture, looked up under the model's
// directory exactly as the file names it; null when the material names
// none or it does not load.
std::unique_ptr<Texture> ImportObject::loadDiffuseTexture(const aiMaterial& material,
                                                          const std::string& directory) {
    if (aiGetMaterialTextureCount(&material, aiTextureType_DIFFUSE) == 0) {
        return nullptr;
    }
    aiString texturePath;
    if (aiGetMaterialTexture(&material, aiTextureType_DIFFUSE, 0, &texturePath, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr) != aiReturn_SUCCESS) {
        return nullptr;
    }
    const std::string fullPath =
        directory + "/" + std::string(texturePath.data, texturePath.length);
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
