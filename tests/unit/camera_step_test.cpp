// The flying camera's frame step, without a window.
#include "camera/camera_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using orvane::Camera;
using orvane::CameraInput;
using orvane::MouseRest;
using orvane::stepCamera;

constexpr float halfPi = 1.5707964f;
constexpr MouseRest leftAtCentre{1280, 768, 640, 384};

// A 1280 x 768 window; the mouse moved by (dx, dy) pixels, y downward, from
// the centre where the previous frame left it.
CameraInput moved(int dx = 0, int dy = 0, bool up = false, bool down = false) {
    return CameraInput{1280, 768, 640 + dx, 384 + dy, up, down, leftAtCentre};
}

// Placed and turned, with the mouse turning nothing unless asked.
Camera cameraAt(const glm::vec3& position, float horizontalAngle = 3.14f, bool turns = false) {
    Camera camera;
    camera.position = position;
    camera.horizontalAngle = horizontalAngle;
    camera.mouseSpeed = turns ? camera.mouseSpeed : 0.0f;
    return camera;
}

// Inside, the surface included, nothing changes, not even the mouse; a hair
// beyond, the camera flies and the mouse goes to the centre.
TEST(CameraStep, InsideTheCaptureBoxNothingChanges) {
    const float beyond = std::nextafter(2.5f, 3.0f);
    const std::pair<glm::vec3, bool> cases[] = {
        {{-2.5f, 1.5f, 0.0f}, true},   {{2.5f, 1.0f, 2.5f}, true},
        {{0.0f, 2.5f, -2.5f}, true},   {{beyond, 1.5f, 0.0f}, false},
        {{0.0f, beyond, 0.0f}, false}, {{0.0f, std::nextafter(1.0f, 0.0f), 0.0f}, false},
        {{1.0f, 5.0f, 1.0f}, false}, // the start
    };
    for (const auto& [point, inside] : cases) {
        SCOPED_TRACE(testing::Message() << point.x << ", " << point.y << ", " << point.z);
        const Camera before = cameraAt(point, 3.14f, true);
        Camera camera = before;
        const auto result =
            stepCamera(camera, 0.5f, CameraInput{1280, 768, 900, 100, true, false, leftAtCentre});
        EXPECT_EQ(result.cameraModeOn, !inside);
        EXPECT_EQ(result.putsMouse, !inside);
        EXPECT_EQ(result.mouseX, inside ? 900 : 640);
        EXPECT_EQ(result.mouseY, inside ? 100 : 384);
        EXPECT_EQ(std::memcmp(&camera, &before, sizeof(Camera)) == 0, inside);
    }
}

// Only the mouse turns or shifts it, by what it moved since the previous
// frame, as that movement from the centre would. Not a new size (the pointer
// perhaps moved to stay inside), not a minimised window (0 x 0, its mouse not
// put), not a mouse left off the centre (by a window without the focus).
TEST(CameraStep, OnlyTheMouseTurnsItNeverTheWindowsSize) {
    const MouseRest minimised{0, 0, 640, 384};
    const MouseRest inACorner{1280, 768, 100, 50};
    const struct {
        const char* name;
        CameraInput input;
        glm::ivec2 reads;
    } cases[] = {
        {"resized", {1000, 900, 600, 420, false, false, leftAtCentre}, {0, 0}},
        {"minimised", {0, 0, 640, 384, false, false, leftAtCentre}, {0, 0}},
        {"still minimised", {0, 0, 600, 300, false, false, minimised}, {0, 0}},
        {"restored", {1280, 768, 640, 384, false, false, minimised}, {0, 0}},
        {"the first frame", {1280, 768, 700, 300, false, false, std::nullopt}, {0, 0}},
        {"left in a corner", {1280, 768, 100, 50, false, false, inACorner}, {0, 0}},
        {"moved from a corner", {1280, 768, 93, 53, false, false, inACorner}, {-7, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Camera expected = cameraAt({8.0f, 5.0f, 8.0f}, 3.14f, true);
        Camera camera = expected;
        stepCamera(expected, 0.1f, moved(c.reads.x, c.reads.y));
        const auto result = stepCamera(camera, 0.1f, c.input);
        EXPECT_EQ(std::memcmp(&camera, &expected, sizeof(Camera)), 0);
        EXPECT_EQ(result.putsMouse, c.input.windowWidth > 0);
        EXPECT_TRUE(!result.putsMouse || (result.mouseX == c.input.windowWidth / 2 &&
                                          result.mouseY == c.input.windowHeight / 2));
    }
}

// At a height limit it flies level; the limit is tested before the up-shift.
TEST(CameraStep, AtTheHeightLimitsItFliesLevel) {
    for (const float height : {1.0f, 0.5f, 10.0f, 12.0f}) {
        SCOPED_TRACE(height);
        Camera camera = cameraAt({8.0f, height, 8.0f}, 3.14f, true);
        camera.verticalAngle = 0.7f;
        stepCamera(camera, 0.1f, moved(0, -30));
        EXPECT_EQ(camera.verticalAngle, 0.0f);
        EXPECT_EQ(camera.position.y > height, height <= 10.0f);
    }
}

// x and z each on its own, a candidate on the bound refused, a shift that
// would cross a wall dropped whole; past a limit only moves back in count.
TEST(CameraStep, MovesOntoOrPastTheLimitsAreRefusedAndOnlyMovesBackInTaken) {
    const struct {
        const char* name;
        glm::vec3 start;
        float horizontalAngle;
        int dx;
        glm::vec2 xz;
    } cases[] = {
        {"onto x = 20", {19.75f, 5.0f, 0.0f}, halfPi, 0, {19.75f, 0.0f}},
        {"onto z = -20", {0.0f, 5.0f, -19.75f}, 2.0f * halfPi, 0, {0.0f, -19.75f}},
        {"into x, z still moves", {19.99f, 5.0f, 0.0f}, 0.7853982f, 0, {19.99f, 0.0707107f}},
        {"into z, x still moves", {0.0f, 5.0f, 19.99f}, 0.7853982f, 0, {0.0707107f, 19.99f}},
        {"shifted into x", {19.95f, 5.0f, 0.0f}, 2.0f * halfPi, 5, {19.95f, -0.1f}},
        {"past x, flying in", {20.5f, 5.0f, 0.0f}, -halfPi, 0, {20.4f, 0.0f}},
        {"past x, flying out", {20.5f, 5.0f, 0.0f}, halfPi, 0, {20.5f, 0.0f}},
        {"past z, flying in", {0.0f, 5.0f, -20.5f}, 0.0f, 0, {0.0f, -20.4f}},
        {"past z, flying out", {0.0f, 5.0f, -20.5f}, 2.0f * halfPi, 0, {0.0f, -20.5f}},
        {"past x, shifted in", {20.5f, 5.0f, 0.0f}, 2.0f * halfPi, -5, {20.4f, -0.0999204f}},
        {"past x, shifted out", {20.5f, 5.0f, 0.0f}, 2.0f * halfPi, 5, {20.5f, -0.1f}},
    };
    // The sine of halfPi rounds to 1, so the first candidate is exactly 20.
    ASSERT_EQ(19.75f + static_cast<float>(std::sin(double{halfPi})) * 0.25f, 20.0f);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Camera camera = cameraAt(c.start, c.horizontalAngle);
        stepCamera(camera, c.name[0] == 'o' ? 0.25f : 0.1f, moved(c.dx, 0));
        EXPECT_NEAR(camera.position.x, c.xz.x, 1e-5f);
        EXPECT_NEAR(camera.position.z, c.xz.y, 1e-5f);
    }
}

// Fused, reordered or otherwise scaled by dt, some step rounds differently and
// the last bits change. Turns both ways at varying dt, each speed key to the
// top speed, shifts of every size. Recorded from this flight.
TEST(CameraStep, ARecordedFlightEndsExactlyWhereItDid) {
    Camera camera;
    for (int frame = 0; frame < 240; ++frame) {
        const float dt = 0.004f + static_cast<float>(frame % 7) * 0.003f;
        const CameraInput input =
            moved(frame * 37 % 41 - 20, frame * 53 % 29 - 14, frame / 30 % 2 == 0, frame % 5 == 0);
        ASSERT_TRUE(stepCamera(camera, dt, input).cameraModeOn) << "frame " << frame;
    }
    EXPECT_EQ(camera.position, glm::vec3(0x1.ceab1cp-1f, 0x1.2786d2p+2f, -0x1.a1e56cp+2f));
    EXPECT_EQ(camera.horizontalAngle, 0x1.855d04p+1f);
    EXPECT_EQ(camera.verticalAngle, -0x1.4f764ep-4f);
    EXPECT_EQ(camera.speed, 0x1.533326p+1f);
}

} // namespace
