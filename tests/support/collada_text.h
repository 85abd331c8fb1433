// Small Collada documents written by tests, so that no model file has to be
// shipped as a fixture.
#pragma once

#include <string>
#include <vector>

namespace orvane::test {

struct ColladaMesh {
    std::vector<float> positions; // x, y, z per vertex
    // Corners of each primitive in turn: 3 a triangle, 2 a line, 1 a point.
    std::vector<unsigned> cornerCounts;
    std::vector<unsigned> indices; // one vertex per corner
    unsigned material = 0;
    // Unless bare, every vertex has the normal (0, 0, 1) and the texture
    // coordinate (x, y) of its position.
    bool bare = false;
};

// A COLLADA 1.4.1 document: every mesh one geometry instanced under the root
// with its material bound. One diffuse image file per material; "" names none.
std::string colladaText(const std::vector<ColladaMesh>& meshes,
                        const std::vector<std::string>& textures);

// The rectangle (x0, y0) to (x1, y1) in z = 0: two triangles over four vertices.
ColladaMesh quad(float x0, float y0, float x1, float y1, unsigned material = 0);

} // namespace orvane::test
