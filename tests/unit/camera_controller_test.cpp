// The flying camera's frame step without a window: the capture box, the
// turning, the speed keys, the bounded flight and the shifts.
#include "camera/camera_step.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using orvane::Camera;
using orvane::CameraInput;
using orvane::CameraStepResult;
using orvane::stepCamera;

// A 1280 x 768 window; the mouse moved by (dx, dy) pixels, y downward.
CameraInput moved(int dx = 0, int dy = 0, bool up = false, bool down = false) {
    return CameraInput{1280, 768, 640 + dx, 384 + dy, up, down};
}

Camera cameraAt(const glm::vec3& position, float horizontalAngle = 3.14f) {
    Camera camera;
    camera.position = position;
    camera.horizontalAngle = horizontalAngle;
    return camera;
}

TEST(CameraStep, TheStartIsOutsideTheBoxSoTheFirstStillFrameFliesAndReplacesTheView) {
    Camera camera;
    const CameraStepResult result = stepCamera(camera, 0.25f, moved());
    EXPECT_TRUE(result.cameraModeOn);
    EXPECT_EQ(result.mouseX, 640);
    EXPECT_EQ(result.mouseY, 384);
    EXPECT_NE(camera.viewMatrix, Camera().viewMatrix);
    EXPECT_EQ(camera.horizontalAngle, 3.14f);
    EXPECT_EQ(camera.verticalAngle, 0.0f);
    EXPECT_NEAR(camera.position.z, 0.75f, 1e-6f);
}

// The surface counts as inside; a hair beyond it does not.
TEST(CameraStep, OnTheBoxSurfaceNothingChangesNotEvenTheMouse) {
    const float beyond = std::nextafter(2.5f, 3.0f);
    const struct {
        glm::vec3 point;
        bool inside;
    } cases[] = {
        {{-2.5f, 1.5f, 0.0f}, true},    {{2.5f, 1.0f, 2.5f}, true},
        {{0.0f, 2.5f, -2.5f}, true},    {{beyond, 1.5f, 0.0f}, false},
        {{0.0f, beyond, 0.0f}, false},  {{0.0f, std::nextafter(1.0f, 0.0f), 0.0f}, false},
        {{0.0f, 1.5f, -beyond}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x << ", " << c.point.y << ", " << c.point.z);
        const Camera before = cameraAt(c.point);
        Camera camera = before;
        // Everything in the input would change the camera if it were used.
        const CameraStepResult result =
            stepCamera(camera, 0.5f, CameraInput{1280, 768, 900, 100, true, false});
        EXPECT_EQ(result.cameraModeOn, !c.inside);
        EXPECT_EQ(result.mouseX, c.inside ? 900 : 640);
        EXPECT_EQ(result.mouseY, c.inside ? 100 : 384);
        EXPECT_EQ(std::memcmp(&camera, &before, sizeof(Camera)) == 0, c.inside);
    }
}

// Both angles grow by pixels x mouseSpeed x dt x 60, so the same movement
// turns twice as far at half the frame rate; at dt = 0 nothing turns or
// moves, yet the view is rebuilt.
TEST(CameraStep, TheTurnGrowsWithTheFrameTime) {
    for (const float dt : {0.0f, 1.0f / 60.0f, 1.0f / 30.0f}) {
        SCOPED_TRACE(dt);
        Camera camera;
        stepCamera(camera, dt, moved(-20, -10));
        EXPECT_NEAR(camera.horizontalAngle - 3.14f, 6.0f * dt, 1e-5f);
        EXPECT_NEAR(camera.verticalAngle, 3.0f * dt, 1e-6f);
        EXPECT_EQ(camera.position == Camera().position, dt == 0.0f);
        EXPECT_NE(camera.viewMatrix, Camera().viewMatrix);
    }
}

// The limit is tested before the shift, so an up-shift at the top passes it.
TEST(CameraStep, AtOrBeyondTheHeightLimitsTheCameraFliesLevel) {
    for (const float height : {1.0f, 0.5f, 10.0f, 12.0f}) {
        SCOPED_TRACE(height);
        // Away from the box, which would end the flight at some of these heights.
        Camera camera = cameraAt({8.0f, height, 8.0f});
        camera.verticalAngle = 0.7f;
        stepCamera(camera, 0.1f, moved(0, -30));
        EXPECT_EQ(camera.verticalAngle, 0.0f);
    }
    Camera top = cameraAt({8.0f, 10.0f, 8.0f});
    stepCamera(top, 0.1f, moved(0, -1));
    EXPECT_GT(top.position.y, 10.05f);
}

// x and z are bounded each on its own, and a candidate on the bound is refused.
TEST(CameraStep, ACandidateOnTheLimitIsRefusedAndXAndZAreTestedApart) {
    const struct {
        float horizontalAngle;
        glm::vec3 start;
        float dt;
        float expectedX;
        float expectedZ;
    } cases[] = {
        // Heading +x (sin rounds to 1): the candidate x is exactly 20.
        {1.5707964f, {19.75f, 5.0f, 0.0f}, 0.25f, 19.75f, 0.0f},
        // Heading -z: the candidate z is exactly -20.
        {3.1415927f, {0.0f, 5.0f, -19.75f}, 0.25f, 0.0f, -19.75f},
        // Diagonally into one wall: the other coordinate still moves.
        {0.7853982f, {19.99f, 5.0f, 0.0f}, 0.5f, 19.99f, 0.3535534f},
        {0.7853982f, {0.0f, 5.0f, 19.99f}, 0.5f, 0.3535534f, 19.99f},
    };
    ASSERT_EQ(19.75f + static_cast<float>(std::sin(double{1.5707964f})) * 0.25f, 20.0f);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.horizontalAngle);
        Camera camera = cameraAt(c.start, c.horizontalAngle);
        stepCamera(camera, c.dt, moved());
        EXPECT_NEAR(camera.position.x, c.expectedX, 1e-6f);
        EXPECT_NEAR(camera.position.z, c.expectedZ, 1e-6f);
    }
}

TEST(CameraStep, ThirtyNineFramesOfUpReachTheTopSpeedAndDownDoesNothingAtTheStart) {
    Camera camera;
    for (int frame = 0; frame < 39; ++frame) {
        stepCamera(camera, 0.0f, moved(0, 0, true));
    }
    EXPECT_GT(camera.speed, 2.94f);
    EXPECT_LT(camera.speed, 2.95f);
    const float top = camera.speed;
    stepCamera(camera, 0.0f, moved(0, 0, true));
    EXPECT_EQ(camera.speed, top);

    Camera slow;
    stepCamera(slow, 0.0f, moved(0, 0, false, true));
    EXPECT_EQ(slow.speed, 1.0f);
}

// Without turning, one pixel and three hundred shift the camera alike, by
// speed x dt along right (about +x at h = 3.14) or up (about +y).
TEST(CameraStep, ShiftsFollowTheSignOfTheMovementOnly) {
    Camera still;
    still.mouseSpeed = 0.0f;
    const Camera start = still;
    stepCamera(still, 0.1f, moved());
    const struct {
        int dx;
        int dy;
        glm::vec3 shift;
    } cases[] = {{1, 0, {0.1f, 0.0f, 0.0f}},
                 {-1, 0, {-0.1f, 0.0f, 0.0f}},
                 {0, -1, {0.0f, 0.1f, 0.0f}},
                 {0, 1, {0.0f, -0.1f, 0.0f}}};
    for (const auto& c : cases) {
        for (const int pixels : {1, 300}) {
            SCOPED_TRACE(testing::Message() << c.dx * pixels << ", " << c.dy * pixels);
            Camera camera = start;
            stepCamera(camera, 0.1f, moved(c.dx * pixels, c.dy * pixels));
            const glm::vec3 shift = camera.position - still.position;
            for (int i = 0; i < 3; ++i) {
                EXPECT_NEAR(shift[i], c.shift[i], 2e-4f) << "axis " << i;
            }
        }
    }
}

// A sideways shift that would cross a wall is dropped whole: z stays too.
TEST(CameraStep, ASidewaysShiftPastTheLimitMovesNeitherCoordinate) {
    Camera still = cameraAt({19.95f, 5.0f, 0.0f});
    still.mouseSpeed = 0.0f;
    Camera shifted = still;
    stepCamera(still, 0.1f, moved());
    stepCamera(shifted, 0.1f, moved(5, 0));
    EXPECT_EQ(shifted.position.x, still.position.x);
    EXPECT_EQ(shifted.position.z, still.position.z);
}

TEST(CameraStep, ANegativeHorizontalAngleLooksWhereTheAnglePlusTwoPiLooks) {
    for (const float angle : {-0.5f, -4.0f}) {
        SCOPED_TRACE(angle);
        Camera negative = cameraAt({1.0f, 5.0f, 1.0f}, angle);
        negative.verticalAngle = 0.3f;
        Camera positive = negative;
        positive.horizontalAngle = angle + 6.2831853f;
        stepCamera(negative, 0.1f, moved(3, -2));
        stepCamera(positive, 0.1f, moved(3, -2));
        // The view holds the position too, in its translation.
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(negative.viewMatrix[i / 4][i % 4], positive.viewMatrix[i / 4][i % 4],
                        1e-4f);
        }
    }
}

float sinOf(float angle) {
    return static_cast<float>(std::sin(static_cast<double>(angle)));
}

float cosOf(float angle) {
    return static_cast<float>(std::cos(static_cast<double>(angle)));
}

// One frame worked out with each rounding where the arithmetic puts it: both
// angles wrap (each by its own modulus, keeping its sign), both keys act.
TEST(CameraStep, OneFrameRoundsExactlyLikeTheFloatAndDoubleSteps) {
    Camera camera = cameraAt({-3.0f, 4.0f, 6.0f}, -6.2f);
    camera.verticalAngle = 3.1f;
    camera.speed = 2.0f;
    const float dt = 0.037f;
    stepCamera(camera, dt, moved(40, -17, true, true));

    const float k = 0.005f * dt * 60.0f;
    const float h = static_cast<float>(
        std::fmod(static_cast<double>(-40.0f * k + -6.2f), static_cast<double>(3.1415927f * 2.0f)));
    const float v = static_cast<float>(
        std::fmod(static_cast<double>(17.0f * k + 3.1f), static_cast<double>(3.1415927f)));
    const glm::vec3 d(cosOf(v) * sinOf(h), sinOf(v), cosOf(v) * cosOf(h));
    const glm::vec3 r(sinOf(h - 1.57f), 0.0f, cosOf(h - 1.57f));
    const glm::vec3 up(0.0f * d.z - r.z * d.y, r.z * d.x - r.x * d.z, r.x * d.y - 0.0f * d.x);
    const float faster = static_cast<float>(static_cast<double>(2.0f) + 0.05);
    const float speed = static_cast<float>(static_cast<double>(faster) - 0.05);
    glm::vec3 p(-3.0f + speed * (d.x * dt), 4.0f + (d.y * dt) * speed, 6.0f + speed * (d.z * dt));
    // Moved right: the shift goes along +right; moved up: along +up.
    p = glm::vec3(p.x + speed * (r.x * dt), p.y, p.z + speed * (r.z * dt));
    p = p + speed * (up * dt);

    EXPECT_LT(h, 0.0f);
    EXPECT_EQ(camera.horizontalAngle, h);
    EXPECT_EQ(camera.verticalAngle, v);
    EXPECT_EQ(camera.speed, speed);
    EXPECT_EQ(camera.position, p);
    EXPECT_EQ(camera.viewMatrix, glm::lookAt(p, p + d, up));
}

} // namespace
