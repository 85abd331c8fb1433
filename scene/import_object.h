// The model read from a Collada file through Assimp, turning about its own
// z axis.
#pragma once

#include "scene/scene_object.h"

#include <string>

namespace orvane::scene {

class ImportObject : public SceneObject {
public:
    ImportObject(const glm::mat4& initialModelMatrix, const std::string& path);
    ~ImportObject() override;
    void update(double dt) override;
    void draw() override;
};

} // namespace orvane::scene
