// The pure steps of reading an imported model: where its textures are
// looked up, and one Assimp mesh turned into vertex and index arrays.
#pragma once

#include "scene/model_mesh.h"

#include <cstdint>
#include <string>
#include <vector>

struct aiMesh;

namespace orvane::scene {

// The text before the last "/" of path: "." when there is none, "/" when
// it is the first character. A backslash is not a separator.
std::string modelDirectory(const std::string& path);

// False for a Collada document that Assimp 5.2 would read for ever, past
// its buffers or into gigabytes, as it trusts what the document states: an
// index list of a mesh's primitives holding anything but whole numbers
// (Assimp never steps past a character that is not part of one, and appends
// zeros until memory runs out); a primitive whose count, polygon sizes or
// input offsets ask for more indices than its lists hold; a source array
// whose count is not the number of values it holds; an accessor that reaches
// outside its array. Any other document, Collada or not, XML or not, is left
// to Assimp. The document is parsed in its own bytes, so a large model costs
// no second copy of itself.
bool colladaIsSafeToRead(std::string document);

// One vertex per mesh vertex, in Assimp's order. A mesh without texture
// coordinates gets (0, 0), one without normals gets zero normals.
void collectVertices(const aiMesh& mesh, std::vector<ModelVertex>& vertices);

// Three indices per triangle. Point and line faces (fewer than three
// indices) and faces naming a vertex the mesh does not have are left out,
// so that nothing past the vertex buffer is ever drawn.
void collectTriangleIndices(const aiMesh& mesh, std::vector<std::uint32_t>& indices);

} // namespace orvane::scene
