// The 40 x 40 grass ground in the plane y = 0; it never moves.
#pragma once

#include "scene/fixed_mesh.h"

namespace orvane::scene {

class Terrain : public FixedMesh {
public:
    explicit Terrain(const glm::mat4& initialModelMatrix);
    void update(double dt) override;
    void draw() override;
};

} // namespace orvane::scene
