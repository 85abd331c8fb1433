// The flight arithmetic keeps to its exact float and double steps: a turn,
// a speed or a position one rounding off changes where a long flight ends.
#include "camera/camera_step.h"

#include <cmath>
#include <cstdint>
#include <glm/gtc/matrix_transform.hpp>

namespace orvane {
namespace {

// Frame times are measured; the turning rate is tuned for 60 of them a second.
constexpr float frameRateFactor = 60.0f;
// Not pi / 2: the right vector leans a hair off square to the direction.
constexpr float rightAngleOffset = 1.57f;
constexpr double speedStep = 0.05;
constexpr double fastestSpeedToRaise = 2.9;
constexpr double slowestSpeedToLower = 1.05;

// Pixels, positive for a mouse moved left or up.
struct MouseOffset {
    float x = 0.0f;
    float y = 0.0f;
};

struct CameraFrame {
    glm::vec3 direction;
    glm::vec3 right;
    glm::vec3 up;
};

float sinOf(float angle) {
    return static_cast<float>(std::sin(static_cast<double>(angle)));
}

float cosOf(float angle) {
    return static_cast<float>(std::cos(static_cast<double>(angle)));
}

// The sum is float; fmod is double and keeps the sign of the sum.
float turnAngle(float offset, float turnPerPixel, float angle, float modulus) {
    const float turned = offset * turnPerPixel + angle;
    return static_cast<float>(std::fmod(static_cast<double>(turned), static_cast<double>(modulus)));
}

bool isEmpty(int windowWidth, int windowHeight) {
    return windowWidth <= 0 || windowHeight <= 0;
}

// Widened first: a wild reported position must not overflow the difference.
float pixelsFrom(int rest, int now) {
    return static_cast<float>(std::int64_t{rest} - now);
}

// Only what the mouse itself moved. A change of the window's size moves its
// centre, not the mouse, and may come with a pointer the window system moved
// to keep it inside; a minimised window cannot have its mouse put back.
MouseOffset mouseOffset(const CameraInput& input) {
    const std::optional<MouseRest>& rest = input.previous;
    if (!rest || rest->windowWidth != input.windowWidth ||
        rest->windowHeight != input.windowHeight ||
        isEmpty(input.windowWidth, input.windowHeight)) {
        return {};
    }
    return {pixelsFrom(rest->mouseX, input.mouseX), pixelsFrom(rest->mouseY, input.mouseY)};
}

void turn(Camera& camera, float offsetX, float offsetY, float dt) {
    const float turnPerPixel = camera.mouseSpeed * dt * frameRateFactor;
    camera.horizontalAngle =
        turnAngle(offsetX, turnPerPixel, camera.horizontalAngle, camera.pi * 2.0f);
    camera.verticalAngle = turnAngle(offsetY, turnPerPixel, camera.verticalAngle, camera.pi);
    // At the height limits the camera flies level, so the forward flight
    // cannot carry it further out.
    if (camera.position.y <= camera.minHeight || camera.position.y >= camera.maxHeight) {
        camera.verticalAngle = 0.0f;
    }
}

CameraFrame frameOf(float horizontalAngle, float verticalAngle) {
    const float sinH = sinOf(horizontalAngle);
    const float cosH = cosOf(horizontalAngle);
    const float sinV = sinOf(verticalAngle);
    const float cosV = cosOf(verticalAngle);
    CameraFrame frame;
    frame.direction = glm::vec3(cosV * sinH, sinV, cosV * cosH);
    const float rightAngle = horizontalAngle - rightAngleOffset;
    frame.right = glm::vec3(sinOf(rightAngle), 0.0f, cosOf(rightAngle));
    // cross(right, direction) with right.y = 0 written out; not normalised.
    const glm::vec3& d = frame.direction;
    const glm::vec3& r = frame.right;
    frame.up = glm::vec3(0.0f * d.z - r.z * d.y, r.z * d.x - r.x * d.z, r.x * d.y - 0.0f * d.x);
    return frame;
}

void applySpeedKeys(Camera& camera, bool upKey, bool downKey) {
    if (upKey && static_cast<double>(camera.speed) <= fastestSpeedToRaise) {
        camera.speed = static_cast<float>(static_cast<double>(camera.speed) + speedStep);
    }
    if (downKey && static_cast<double>(camera.speed) >= slowestSpeedToLower) {
        camera.speed = static_cast<float>(static_cast<double>(camera.speed) - speedStep);
    }
}

bool withinLimit(float value, float limit) {
    return -limit < value && value < limit;
}

// A move inside the limit is taken. The shift along up has no x or z limit,
// so a tilted camera can end up past one; from there a move that comes back
// toward the inside is taken too, or the camera would stick to the edge.
bool allowedMove(float from, float to, float limit) {
    return withinLimit(to, limit) || (!withinLimit(from, limit) && std::fabs(to) < std::fabs(from));
}

// x and z are bounded each on its own; the height is not bounded here.
void flyForward(Camera& camera, const glm::vec3& direction, float dt) {
    glm::vec3& position = camera.position;
    const float candidateX = position.x + camera.speed * (direction.x * dt);
    if (allowedMove(position.x, candidateX, camera.limitX)) {
        position.x = candidateX;
    }
    position.y = position.y + (direction.y * dt) * camera.speed;
    const float candidateZ = position.z + camera.speed * (direction.z * dt);
    if (allowedMove(position.z, candidateZ, camera.limitZ)) {
        position.z = candidateZ;
    }
}

// Only the sign of the mouse movement counts; the move is all or nothing.
void shiftSideways(Camera& camera, const glm::vec3& right, float offsetX, float dt) {
    if (offsetX == 0.0f) {
        return;
    }
    glm::vec3& position = camera.position;
    const float stepX = camera.speed * (right.x * dt);
    const float stepZ = camera.speed * (right.z * dt);
    const float candidateX = offsetX < 0.0f ? position.x + stepX : position.x - stepX;
    const float candidateZ = offsetX < 0.0f ? position.z + stepZ : position.z - stepZ;
    if (allowedMove(position.x, candidateX, camera.limitX) &&
        allowedMove(position.z, candidateZ, camera.limitZ)) {
        position.x = candidateX;
        position.z = candidateZ;
    }
}

// The height limit is tested before the shift, so a shift may pass it a little.
void shiftAlongUp(Camera& camera, const glm::vec3& up, float offsetY, float dt) {
    glm::vec3& position = camera.position;
    if (offsetY < 0.0f && position.y >= camera.minHeight) {
        position = position - camera.speed * (up * dt);
    } else if (offsetY > 0.0f && position.y <= camera.maxHeight) {
        position = position + camera.speed * (up * dt);
    }
}

} // namespace

bool insideCaptureBox(const glm::vec3& position) {
    return -2.5f <= position.x && position.x <= 2.5f && 1.0f <= position.y && position.y <= 2.5f &&
           -2.5f <= position.z && position.z <= 2.5f;
}

CameraStepResult stepCamera(Camera& camera, float dt, const CameraInput& input) {
    if (insideCaptureBox(camera.position)) {
        return {false, false, input.mouseX, input.mouseY};
    }
    const MouseOffset offset = mouseOffset(input);
    turn(camera, offset.x, offset.y, dt);
    const CameraFrame frame = frameOf(camera.horizontalAngle, camera.verticalAngle);
    applySpeedKeys(camera, input.upKey, input.downKey);
    flyForward(camera, frame.direction, dt);
    shiftSideways(camera, frame.right, offset.x, dt);
    shiftAlongUp(camera, frame.up, offset.y, dt);
    camera.viewMatrix = glm::lookAt(camera.position, camera.position + frame.direction, frame.up);
    if (isEmpty(input.windowWidth, input.windowHeight)) {
        return {true, false, input.mouseX, input.mouseY};
    }
    return {true, true, input.windowWidth / 2, input.windowHeight / 2};
}

} // namespace orvane
