// The pure steps of reading an imported model; no OpenGL here.
#include "scene/model_loading.h"

#include <array>
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

bool indexListsAreReadable(std::istream& document) {
    enum class State { Text, TagName, Tag, IndexList } state = State::Text;
    std::string name;     // of the tag being read
    bool list = false;    // the tag being read opens an index list
    bool collada = false; // a document that Assimp reads as Collada
    char previous = '\0';
    std::array<char, 65536> piece;
    while (document.read(piece.data(), piece.size()) || document.gcount() > 0) {
        const char* at = piece.data();
        const char* const end = at + document.gcount();
        for (; at < end; previous = *at++) {
            const char c = *at;
            if (state == State::Text) {
                // Most of a model is text between tags; skip it whole.
                at = static_cast<const char*>(
                    std::memchr(at, '<', static_cast<std::size_t>(end - at)));
                if (at == nullptr) {
                    break;
                }
                state = State::TagName;
                name.clear();
            } else if (state == State::TagName) {
                if (std::strchr(" \t\r\n>/", c) == nullptr) {
                    name += c;
                    continue;
                }
                collada = collada || name == "COLLADA";
                list = name == "p";
                state = c == '>' ? (list ? State::IndexList : State::Text) : State::Tag;
            } else if (state == State::Tag) {
                if (c == '>') {
                    state = list && previous != '/' ? State::IndexList : State::Text;
                }
            } else if (c == '<') {
                state = State::TagName;
                name.clear();
            } else if (collada && std::strchr("0123456789+- \t\r\n", c) == nullptr) {
                return false;
            }
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
