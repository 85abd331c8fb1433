// The textured unit cube over the origin; it spins once camera control ends.
#pragma once

#include "scene/fixed_mesh.h"

namespace orvane::scene {

// The cube's matrix dt seconds on: turned about its own y axis at 100
// degrees per second, on top of the turns it already holds.
glm::mat4 turnedCubeMatrix(const glm::mat4& modelMatrix, double dt);

class Cube : public FixedMesh {
public:
    explicit Cube(const glm::mat4& initialModelMatrix);
    // Turns about the cube's own y axis at 100 degrees per second while rotating.
    void update(double dt) override;
    void draw() override;
};

} // namespace orvane::scene
