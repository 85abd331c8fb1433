// Assimp and DevIL, on files read through our own opening: regular files
// only, and every byte past a file's end read as 0.
#include "files/decode.h"

#include "files/regular_file.h"

#include <IL/il.h>
#include <assimp/DefaultIOStream.h>
#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <cstring>

namespace orvane::files {
namespace {

// Tangent space, joined vertices, triangles, and one primitive type per
// mesh: 0x800B. Nothing else, so no normals are made up and the node
// transformations are not baked into the vertices.
constexpr unsigned int importSteps = aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices |
                                     aiProcess_Triangulate | aiProcess_SortByPType;
static_assert(importSteps == 0x800B, "the import steps are fixed");

// Assimp's own stream, on a file opened our way (its constructor is protected).
class RegularFileStream : public Assimp::DefaultIOStream {
public:
    RegularFileStream(std::FILE* file, const std::string& path) : DefaultIOStream(file, path) {}
};

// Assimp opens whatever is at a path, and blocks on a FIFO until a writer
// comes; through this it reads regular files only.
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

std::optional<std::string> diffuseTexture(const aiMaterial* material) {
    aiString path;
    if (material == nullptr || aiGetMaterialTextureCount(material, aiTextureType_DIFFUSE) == 0 ||
        aiGetMaterialTexture(material, aiTextureType_DIFFUSE, 0, &path, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr) != aiReturn_SUCCESS) {
        return std::nullopt;
    }
    return std::string(path.data, path.length);
}

ModelData modelOf(const aiScene& scene) {
    ModelData model;
    model.meshes.resize(scene.mMeshes == nullptr ? 0 : scene.mNumMeshes);
    for (std::size_t i = 0; i < model.meshes.size(); ++i) {
        if (scene.mMeshes[i] != nullptr) {
            model.meshes[i].materialIndex = scene.mMeshes[i]->mMaterialIndex;
            collectVertices(*scene.mMeshes[i], model.meshes[i].vertices);
            collectTriangleIndices(*scene.mMeshes[i], model.meshes[i].indices);
        }
    }
    model.diffuseTextures.resize(scene.mMaterials == nullptr ? 0 : scene.mNumMaterials);
    for (std::size_t m = 0; m < model.diffuseTextures.size(); ++m) {
        model.diffuseTextures[m] = diffuseTexture(scene.mMaterials[m]);
    }
    return model;
}

// DevIL's own reading opens a FIFO or a device as readily as a file, and
// some of its decoders ignore a short read and parse the stale buffer again
// (a PNG chunk whose length runs past the end of the file is read for ever).
// Here only regular files open, and every byte past the end reads as 0,
// which no decoder takes for data that goes on.
FILE* fileOf(ILHANDLE handle) {
    return static_cast<FILE*>(handle);
}

ILHANDLE openImage(ILconst_string path) {
    return openRegularFile(path);
}

void closeFile(ILHANDLE file) {
    std::fclose(fileOf(file));
}

ILboolean atEnd(ILHANDLE file) {
    return std::feof(fileOf(file)) != 0 ? IL_TRUE : IL_FALSE;
}

ILint readByte(ILHANDLE file) {
    return std::fgetc(fileOf(file));
}

ILint readBytes(void* buffer, ILuint size, ILuint count, ILHANDLE file) {
    const std::size_t read = std::fread(buffer, size, count, fileOf(file));
    std::memset(static_cast<char*>(buffer) + read * size, 0, (count - read) * size);
    return static_cast<ILint>(read);
}

ILint seek(ILHANDLE file, ILint offset, ILint origin) {
    return std::fseek(fileOf(file), offset, origin);
}

ILint tell(ILHANDLE file) {
    return static_cast<ILint>(std::ftell(fileOf(file)));
}

// The core profile takes none of the colour-index, luminance, luminance-alpha
// or alpha pixel formats, and no double samples; DevIL hands back the first
// for every palette image, the next three for grey and alpha-only ones, and
// doubles for some scientific formats (FITS). Those are converted; everything
// else goes up as it comes. An alpha-only image holds no colour, and its alpha
// is not kept: it converts, and shows, black.
ILenum coreProfileFormat(ILint format) {
    switch (format) {
    case IL_COLOUR_INDEX:
    case IL_LUMINANCE:
    case IL_ALPHA:
        return IL_RGB;
    case IL_LUMINANCE_ALPHA:
        return IL_RGBA;
    default:
        return static_cast<ILenum>(format);
    }
}

ILenum coreProfileType(ILint type) {
    return type == IL_DOUBLE ? IL_FLOAT : static_cast<ILenum>(type);
}

// False when DevIL cannot convert the bound image into what OpenGL takes.
bool makeUploadable() {
    const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    const ILint type = ilGetInteger(IL_IMAGE_TYPE);
    const ILenum wantedFormat = coreProfileFormat(format);
    const ILenum wantedType = coreProfileType(type);
    if (wantedFormat == static_cast<ILenum>(format) && wantedType == static_cast<ILenum>(type)) {
        return true;
    }
    return ilConvertImage(wantedFormat, wantedType) == IL_TRUE;
}

// The bound image's first layer, when its layout is one the viewer takes.
std::optional<ImageData> boundImage() {
    ImageData image;
    image.width = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_WIDTH));
    image.height = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_HEIGHT));
    image.format = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_FORMAT));
    image.type = static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_TYPE));
    const std::uint64_t bytes =
        std::uint64_t{image.width} * image.height * bytesPerPixel(image.format, image.type);
    const ILubyte* data = ilGetData();
    if (bytes == 0 || data == nullptr ||
        bytes > static_cast<std::uint64_t>(ilGetInteger(IL_IMAGE_SIZE_OF_DATA))) {
        return std::nullopt;
    }
    image.pixels.assign(data, data + bytes);
    return image;
}

// Assimp turns its own failures into a null scene, but not every one that
// reaches it: memory running out under the decoder's limit, for one.
template <typename Decode>
auto decodedOrNone(Decode decode, const std::string& path) -> decltype(decode(path)) {
    try {
        return decode(path);
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace

std::optional<ModelData> decodeModel(const std::string& path) {
    Assimp::Importer importer;
    importer.SetIOHandler(new RegularFilesOnly); // the importer owns it
    const aiScene* scene = importer.ReadFile(path.c_str(), importSteps);
    if (scene == nullptr) {
        return std::nullopt;
    }
    return modelOf(*scene);
}

std::optional<ImageData> decodeImage(const std::string& path) {
    ilInit();
    ilSetRead(openImage, closeFile, atEnd, readByte, readBytes, seek, tell);
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    std::optional<ImageData> image;
    if (ilLoadImage(path.c_str()) == IL_TRUE && makeUploadable()) {
        image = boundImage();
    }
    ilDeleteImages(1, &name);
    return image;
}

bool answerRequest(wire::Reader& requests, wire::ByteSink& replies) {
    const std::optional<wire::Request> request = wire::readRequest(requests);
    if (!request) {
        return false;
    }
    return request->kind == wire::Kind::Model
               ? wire::writeReply(replies, *request, decodedOrNone(decodeModel, request->path))
               : wire::writeReply(replies, *request, decodedOrNone(decodeImage, request->path));
}

void collectVertices(const aiMesh& mesh, std::vector<ModelVertex>& vertices) {
    vertices.clear();
    if (mesh.mVertices == nullptr) {
        return;
    }
    vertices.reserve(mesh.mNumVertices);
    const bool hasUv = mesh.HasTextureCoords(0);
    for (unsigned int v = 0; v < mesh.mNumVertices; ++v) {
        ModelVertex vertex;
        const aiVector3D& position = mesh.mVertices[v];
        vertex.position = glm::vec3(position.x, position.y, position.z);
        if (hasUv) {
            const aiVector3D& uv = mesh.mTextureCoords[0][v];
            vertex.uv = glm::vec2(uv.x, uv.y);
        }
        if (mesh.mNormals != nullptr) {
            const aiVector3D& normal = mesh.mNormals[v];
            vertex.normal = glm::vec3(normal.x, normal.y, normal.z);
        }
        vertices.push_back(vertex);
    }
}

void collectTriangleIndices(const aiMesh& mesh, std::vector<std::uint32_t>& indices) {
    indices.clear();
    if (mesh.mFaces == nullptr) {
        return;
    }
    indices.reserve(3 * std::size_t{mesh.mNumFaces});
    // Without positions there are no vertices for any index to name.
    const unsigned int vertexCount = mesh.mVertices == nullptr ? 0 : mesh.mNumVertices;
    for (unsigned int f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices < 3 || face.mIndices == nullptr) {
            continue;
        }
        const unsigned int* corner = face.mIndices;
        if (corner[0] >= vertexCount || corner[1] >= vertexCount || corner[2] >= vertexCount) {
            continue;
        }
        indices.insert(indices.end(), {corner[0], corner[1], corner[2]});
    }
}

} // namespace orvane::files
