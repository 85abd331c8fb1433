// The pure steps of reading an imported model; no OpenGL here.
#include "scene/model_loading.h"

#include <assimp/mesh.h>
#include <cstring>

namespace orvane::scene {

std::string modelDirectory(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

bool indexListsAreReadable(const std::string& document) {
    if (document.find("<COLLADA") == std::string::npos) {
        return true;
    }
    for (std::size_t tag = document.find("<p"); tag != std::string::npos;
         tag = document.find("<p", tag + 2)) {
        // Not <param> or <phong>, and not empty (<p/>).
        const char after = document[tag + 2];
        const std::size_t start = document.find('>', tag);
        if (after == '\0' || std::strchr("> \t\r\n", after) == nullptr ||
            start == std::string::npos || document[start - 1] == '/') {
            continue;
        }
        const std::size_t end = document.find("</p>", start);
        if (document.find_first_not_of("0123456789+- \t\r\n", start + 1) < end) {
            return false;
        }
    }
    return true;
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

} // namespace orvane::scene
