// Model and image files turned into plain data, through Assimp and DevIL.
// This is the code a hostile file reaches: on the desktop it runs only in the
// decoder, a process of its own (files/decoder_main.cpp).
#pragma once

#include "files/file_data.h"
#include "files/wire.h"

#include <optional>
#include <string>

struct aiMesh;

namespace orvane::files {

// The model as Assimp reads it with tangent space, joined vertices,
// triangles and one primitive type per mesh; none when it does not read.
std::optional<ModelData> decodeModel(const std::string& path);

// The image as DevIL reads it, in a format an OpenGL core profile takes;
// none when it does not read or convert.
std::optional<ImageData> decodeImage(const std::string& path);

// Reads one request, decodes its file and writes the reply; false once the
// requests have ended or the replies cannot be written. Whatever the
// libraries throw is a file that did not decode.
bool answerRequest(wire::Reader& requests, wire::ByteSink& replies);

// One vertex per mesh vertex, in Assimp's order. A mesh without texture
// coordinates gets (0, 0), one without normals gets zero normals.
void collectVertices(const aiMesh& mesh, std::vector<ModelVertex>& vertices);

// Three indices per triangle. Point and line faces (fewer than three
// indices) and faces naming a vertex the mesh does not have are left out,
// so that nothing past the vertex buffer is ever drawn.
void collectTriangleIndices(const aiMesh& mesh, std::vector<std::uint32_t>& indices);

} // namespace orvane::files
