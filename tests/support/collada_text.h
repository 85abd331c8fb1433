// Small Collada documents written by tests, so that no model file has to be
// shipped as a fixture.
#pragma once

#include <string>
#include <vector>

namespace orvane::test {

struct ColladaMesh {
    std::vector<float> positions; // x, y, z per vertex
    std::vector<float> normals;   // x, y, z per vertex; empty: the mesh has none
    std::vector<float> uvs;       // u, v per vertex; empty: the mesh has none
    // Corners of each primitive in turn: 3 a triangle, 4 a quad, 2 a line,
    // 1 a point.
    std::vector<unsigned> cornerCounts;
    // One vertex index per corner, naming the same entry of all three arrays.
    std::vector<unsigned> indices;
    unsigned material = 0;
};

struct ColladaMaterial {
    std::string diffuseTexture; // empty: the material names no texture
};

// A whole COLLADA 1.4.1 document: every mesh is one geometry instanced once
// under the scene's root with its material bound.
std::string colladaText(const std::vector<ColladaMesh>& meshes,
                        const std::vector<ColladaMaterial>& materials);

// A flat quad in z = 0 from (0, 0) to (1, 1) as two triangles over four
// shared vertices, with normals and texture coordinates.
ColladaMesh unitQuad(unsigned material = 0);

} // namespace orvane::test
