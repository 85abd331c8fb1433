// The textured unit cube over the origin; it spins once camera control ends.
#pragma once

#include "scene/fixed_mesh.h"

namespace orvane::scene {

class Cube : public FixedMesh {
public:
    explicit Cube(const glm::mat4& initialModelMatrix);
    // Turns about the cube's own y axis at 100 degrees per second while rotating.
    void update(double dt) override;
    void draw() override;
};

} // namespace orvane::scene
