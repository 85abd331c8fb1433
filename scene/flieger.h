// The dart-shaped flyer that hangs in front of the camera: 0.5 below the
// eye and 2.3 ahead, nose forward, whatever the view.
#pragma once

#include "scene/fixed_mesh.h"

namespace orvane {
struct Camera;
}

namespace orvane::scene {

class Flieger : public FixedMesh {
public:
    // Takes the camera from the scene, as it stands at construction.
    explicit Flieger(const glm::mat4& initialModelMatrix);
    // Follows the camera's current view; dt plays no part.
    void update(double dt) override;
    void draw() override;

    // Not owned; must outlive the flyer.
    Camera* camera = nullptr;
};

} // namespace orvane::scene
