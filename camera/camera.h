// The camera state: where the eye is, where it looks, and how it moves.
#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace orvane {

struct Camera {
    glm::mat4 viewMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 2.0f, 0.0f));
    glm::vec3 position{1.0f, 5.0f, 1.0f};
    float speed = 1.0f;
    // Radians per pixel of mouse movement at a frame time of 1/60 s.
    float mouseSpeed = 0.005f;
    float horizontalAngle = 3.14f;
    float verticalAngle = 0.0f;
    float minHeight = 1.0f;
    float maxHeight = 10.0f;
    float pi = 3.1415927f;
    float limitX = 20.0f;
    float limitZ = 20.0f;
};

} // namespace orvane
