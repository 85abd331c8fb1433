// The base of everything the scene draws: a model matrix and the two
// operations the scene drives every frame.
#pragma once

#include <glm/glm.hpp>

namespace orvane::scene {

class SceneObject {
public:
    virtual ~SceneObject() = default;
    // Advances the object by dt seconds.
    virtual void update(double dt) = 0;
    // The caller has made the program current, bound the texture on unit 0
    // and uploaded modelMatrix.
    virtual void draw() = 0;

    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    glm::mat4 modelMatrix;
    bool rotating = false;

protected:
    explicit SceneObject(const glm::mat4& initialModelMatrix) : modelMatrix(initialModelMatrix) {}
};

} // namespace orvane::scene
