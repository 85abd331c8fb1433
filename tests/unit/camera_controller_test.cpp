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
using orvane::insideCaptureBox;
using orvane::stepCamera;

constexpr float twoPi = 6.2831853f;

// A 1280 x 768 window with the mouse back at the centre and no key down.
CameraInput stillInput() {
    return CameraInput{1280, 768, 640, 384, false, false};
}

// The mouse moved by (dx, dy) pixels since the last frame, y downward.
CameraInput mouseMovedBy(int dx, int dy) {
    CameraInput input = stillInput();
    input.mouseX += dx;
    input.mouseY += dy;
    return input;
}

bool sameBits(const Camera& a, const Camera& b) {
    return std::memcmp(&a.viewMatrix, &b.viewMatrix, sizeof a.viewMatrix) == 0 &&
           std::memcmp(&a.position, &b.position, sizeof a.position) == 0 && a.speed == b.speed &&
           a.horizontalAngle == b.horizontalAngle && a.verticalAngle == b.verticalAngle;
}

glm::vec3 forwardOf(const Camera& camera) {
    const double h = camera.horizontalAngle;
    const double v = camera.verticalAngle;
    return glm::vec3(std::cos(v) * std::sin(h), std::sin(v), std::cos(v) * std::cos(h));
}

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// The view carries the eye to the origin and the point ahead to (0, 0, -1).
void expectViewLooksAlong(const Camera& camera, const glm::vec3& forward) {
    const glm::vec4 eye = camera.viewMatrix * glm::vec4(camera.position, 1.0f);
    const glm::vec4 ahead = camera.viewMatrix * glm::vec4(camera.position + forward, 1.0f);
    expectNear(glm::vec3(eye), glm::vec3(0.0f), 1e-4f);
    expectNear(glm::vec3(ahead), glm::vec3(0.0f, 0.0f, -1.0f), 1e-4f);
}

TEST(Camera, StartsAboveTheBoxLookingAlongMinusZAtTheSlowestSpeed) {
    const Camera camera;
    EXPECT_EQ(camera.viewMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 2.0f, 0.0f)));
    EXPECT_EQ(camera.position, glm::vec3(1.0f, 5.0f, 1.0f));
    EXPECT_EQ(camera.speed, 1.0f);
    EXPECT_EQ(camera.mouseSpeed, 0.005f);
    EXPECT_EQ(camera.horizontalAngle, 3.14f);
    EXPECT_EQ(camera.verticalAngle, 0.0f);
    EXPECT_EQ(camera.minHeight, 1.0f);
    EXPECT_EQ(camera.maxHeight, 10.0f);
    EXPECT_EQ(camera.pi, 3.1415927f);
    EXPECT_EQ(camera.limitX, 20.0f);
    EXPECT_EQ(camera.limitZ, 20.0f);
}

TEST(CameraStep, StartsAboveTheBoxSoTheFirstFrameReplacesTheView) {
    Camera camera;
    const glm::mat4 initialView = camera.viewMatrix;
    const CameraStepResult result = stepCamera(camera, 0.02f, stillInput());

    EXPECT_TRUE(result.cameraModeOn);
    EXPECT_EQ(result.mouseX, 640);
    EXPECT_EQ(result.mouseY, 384);
    EXPECT_NE(camera.viewMatrix, initialView);
    expectViewLooksAlong(camera, forwardOf(camera));
}

TEST(CameraStep, EveryPointOnTheBoxSurfaceCapturesAndChangesNothing) {
    const glm::vec3 surfacePoints[] = {
        {-2.5f, 1.5f, 0.0f}, {2.5f, 1.5f, 0.0f},  {0.0f, 1.0f, 0.0f}, {0.0f, 2.5f, 0.0f},
        {0.0f, 1.5f, -2.5f}, {0.0f, 1.5f, 2.5f},  {2.5f, 2.5f, 2.5f}, {-2.5f, 1.0f, -2.5f},
        {1.0f, 2.5f, 1.0f},  {0.3f, 1.7f, -0.4f},
    };
    for (const glm::vec3& point : surfacePoints) {
        SCOPED_TRACE(testing::Message() << point.x << ", " << point.y << ", " << point.z);
        Camera camera;
        camera.position = point;
        const Camera before = camera;
        // Everything in the input would change the camera if it were used.
        const CameraInput input{1280, 768, 900, 100, true, false};

        const CameraStepResult result = stepCamera(camera, 0.5f, input);

        EXPECT_TRUE(insideCaptureBox(point));
        EXPECT_FALSE(result.cameraModeOn);
        EXPECT_EQ(result.mouseX, 900);
        EXPECT_EQ(result.mouseY, 100);
        EXPECT_TRUE(sameBits(camera, before));
    }
}

TEST(CameraStep, JustOutsideTheBoxIsNotCaptured) {
    const glm::vec3 outsidePoints[] = {
        {std::nextafter(2.5f, 3.0f), 1.5f, 0.0f}, {std::nextafter(-2.5f, -3.0f), 1.5f, 0.0f},
        {0.0f, std::nextafter(1.0f, 0.0f), 0.0f}, {0.0f, std::nextafter(2.5f, 3.0f), 0.0f},
        {0.0f, 1.5f, std::nextafter(2.5f, 3.0f)}, {0.0f, 1.5f, std::nextafter(-2.5f, -3.0f)},
    };
    for (const glm::vec3& point : outsidePoints) {
        SCOPED_TRACE(testing::Message() << point.x << ", " << point.y << ", " << point.z);
        EXPECT_FALSE(insideCaptureBox(point));
        Camera camera;
        camera.position = point;
        EXPECT_TRUE(stepCamera(camera, 0.01f, stillInput()).cameraModeOn);
    }
}

TEST(CameraStep, StillMouseKeepsTheAnglesAndStillFliesForward) {
    Camera camera;
    const glm::vec3 forward = forwardOf(camera);
    stepCamera(camera, 0.25f, stillInput());

    EXPECT_EQ(camera.horizontalAngle, 3.14f);
    EXPECT_EQ(camera.verticalAngle, 0.0f);
    expectNear(camera.position, glm::vec3(1.0f, 5.0f, 1.0f) + 0.25f * forward, 1e-6f);
    EXPECT_LT(camera.position.z, 0.76f);
}

TEST(CameraStep, ZeroFrameTimeMovesNothingButRebuildsTheView) {
    Camera camera;
    const glm::mat4 initialView = camera.viewMatrix;
    const CameraStepResult result = stepCamera(camera, 0.0f, mouseMovedBy(-50, 70));

    EXPECT_TRUE(result.cameraModeOn);
    EXPECT_EQ(camera.position, glm::vec3(1.0f, 5.0f, 1.0f));
    EXPECT_EQ(camera.horizontalAngle, 3.14f);
    EXPECT_EQ(camera.verticalAngle, 0.0f);
    EXPECT_NE(camera.viewMatrix, initialView);
    expectViewLooksAlong(camera, forwardOf(camera));
}

// The mouse moved left and up: both angles grow by pixels x mouseSpeed x dt x 60.
TEST(CameraStep, TheSameMovementTurnsTwiceAsFarAtHalfTheFrameRate) {
    Camera at60;
    Camera at30;
    stepCamera(at60, 1.0f / 60.0f, mouseMovedBy(-20, -10));
    stepCamera(at30, 1.0f / 30.0f, mouseMovedBy(-20, -10));

    EXPECT_NEAR(at60.horizontalAngle - 3.14f, 0.1f, 1e-5f);
    EXPECT_NEAR(at60.verticalAngle, 0.05f, 1e-6f);
    EXPECT_NEAR(at30.horizontalAngle - 3.14f, 0.2f, 1e-5f);
    EXPECT_NEAR(at30.verticalAngle, 0.1f, 1e-6f);
}

TEST(CameraStep, MovingTheMouseRightAndDownTurnsRightAndDown) {
    Camera camera;
    stepCamera(camera, 1.0f / 60.0f, mouseMovedBy(40, 30));
    EXPECT_NEAR(camera.horizontalAngle, 3.14f - 0.2f, 1e-5f);
    EXPECT_NEAR(camera.verticalAngle, -0.15f, 1e-6f);
}

// The horizontal angle wraps at 2 pi and the vertical one at pi, each
// keeping its sign; the tilt is not stopped at a quarter turn.
TEST(CameraStep, AnglesWrapByTheirOwnModulusAndKeepTheirSign) {
    struct Case {
        float horizontal;
        float vertical;
        int dx;
        int dy;
        float expectedHorizontal;
        float expectedVertical;
    };
    // At dt = 1/60 one pixel turns 0.005 radians.
    const Case cases[] = {
        {6.2f, 0.0f, -20, 0, 6.3f - twoPi, 0.0f},
        {-6.2f, 0.0f, 20, 0, -6.3f + twoPi, 0.0f},
        {0.0f, 1.5f, 0, -40, 0.0f, 1.7f},
        {0.0f, -1.5f, 0, 40, 0.0f, -1.7f},
        {0.0f, 3.1f, 0, -20, 0.0f, 3.2f - 3.1415927f},
        {0.0f, -3.1f, 0, 20, 0.0f, -3.2f + 3.1415927f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.horizontal << " " << c.vertical);
        Camera camera;
        camera.horizontalAngle = c.horizontal;
        camera.verticalAngle = c.vertical;
        stepCamera(camera, 1.0f / 60.0f, mouseMovedBy(c.dx, c.dy));
        EXPECT_NEAR(camera.horizontalAngle, c.expectedHorizontal, 1e-5f);
        EXPECT_NEAR(camera.verticalAngle, c.expectedVertical, 1e-5f);
    }
}

TEST(CameraStep, AtOrBeyondTheHeightLimitsTheCameraFliesLevel) {
    for (const float height : {1.0f, 0.5f, -3.0f, 10.0f, 12.0f}) {
        SCOPED_TRACE(height);
        Camera camera;
        // Away from the box, which would end the flight at some of these heights.
        camera.position = glm::vec3(8.0f, height, 8.0f);
        camera.verticalAngle = 0.7f;
        stepCamera(camera, 0.1f, mouseMovedBy(0, -30));
        EXPECT_EQ(camera.verticalAngle, 0.0f);
    }
    Camera between;
    between.position.y = std::nextafter(10.0f, 0.0f);
    between.verticalAngle = 0.7f;
    stepCamera(between, 0.1f, stillInput());
    EXPECT_EQ(between.verticalAngle, 0.7f);
}

// The limit is tested before the shift, so the shift may carry the camera past it.
TEST(CameraStep, AnUpShiftAtTheTopLimitStillPassesIt) {
    Camera camera;
    camera.position.y = 10.0f;
    stepCamera(camera, 0.1f, mouseMovedBy(0, -1));
    EXPECT_GT(camera.position.y, 10.05f);

    Camera above;
    above.position.y = 10.5f;
    stepCamera(above, 0.1f, mouseMovedBy(0, -1));
    EXPECT_EQ(above.position.y, 10.5f);
}

TEST(CameraStep, ADownShiftStopsBelowTheBottomLimit) {
    Camera atLimit;
    atLimit.position = glm::vec3(8.0f, 1.0f, 8.0f);
    stepCamera(atLimit, 0.1f, mouseMovedBy(0, 1));
    EXPECT_LT(atLimit.position.y, 0.95f);

    Camera below;
    below.position = glm::vec3(8.0f, 0.9f, 8.0f);
    stepCamera(below, 0.1f, mouseMovedBy(0, 1));
    EXPECT_EQ(below.position.y, 0.9f);
}

TEST(CameraStep, ThirtyNineFramesOfUpReachTheTopSpeed) {
    Camera camera;
    CameraInput up = stillInput();
    up.upKey = true;
    for (int frame = 0; frame < 39; ++frame) {
        stepCamera(camera, 0.0f, up);
    }
    EXPECT_GT(camera.speed, 2.94f);
    EXPECT_LT(camera.speed, 2.95f);
    const float top = camera.speed;
    stepCamera(camera, 0.0f, up);
    EXPECT_EQ(camera.speed, top);

    Camera fewer;
    for (int frame = 0; frame < 38; ++frame) {
        stepCamera(fewer, 0.0f, up);
    }
    EXPECT_LT(fewer.speed, 2.91f);
}

TEST(CameraStep, DownDoesNothingAtTheStartingSpeed) {
    Camera camera;
    CameraInput down = stillInput();
    down.downKey = true;
    stepCamera(camera, 0.0f, down);
    EXPECT_EQ(camera.speed, 1.0f);
}

TEST(CameraStep, DownSlowsAFastCameraAndBothKeysTakeTurns) {
    Camera camera;
    camera.speed = 2.0f;
    CameraInput down = stillInput();
    down.downKey = true;
    stepCamera(camera, 0.0f, down);
    EXPECT_NEAR(camera.speed, 1.95f, 1e-6f);

    CameraInput both = down;
    both.upKey = true;
    stepCamera(camera, 0.0f, both);
    EXPECT_NEAR(camera.speed, 1.95f, 1e-6f);
}

TEST(CameraStep, FlightScalesWithSpeed) {
    Camera slow;
    slow.verticalAngle = -0.5f;
    Camera fast = slow;
    fast.speed = 2.5f;
    stepCamera(slow, 0.2f, stillInput());
    stepCamera(fast, 0.2f, stillInput());
    EXPECT_NEAR(1.0f - fast.position.z, 2.5f * (1.0f - slow.position.z), 1e-5f);
    EXPECT_NEAR(5.0f - fast.position.y, 2.5f * (5.0f - slow.position.y), 1e-5f);
    EXPECT_LT(slow.position.y, 4.95f);
}

// Puts the camera so that one frame of forward flight along x makes the
// candidate exactly `target`; direction (1, 0, 0) at h = pi / 2.
Camera headingAlongX(float target, float dt) {
    Camera camera;
    camera.horizontalAngle = 1.5707964f;
    camera.position = glm::vec3(target - dt, 5.0f, 0.0f);
    return camera;
}

TEST(CameraStep, ACandidateExactlyOnTheLimitIsRefused) {
    const float dt = 0.25f;
    Camera onLimit = headingAlongX(20.0f, dt);
    ASSERT_EQ(onLimit.position.x + onLimit.speed * (1.0f * dt), 20.0f);
    stepCamera(onLimit, dt, stillInput());
    EXPECT_EQ(onLimit.position.x, 19.75f);

    Camera inside = headingAlongX(std::nextafter(20.0f, 0.0f), dt);
    stepCamera(inside, dt, stillInput());
    EXPECT_EQ(inside.position.x, std::nextafter(20.0f, 0.0f));
}

TEST(CameraStep, TheNegativeLimitIsRefusedToo) {
    // Facing -z: direction (0, 0, -1) at h = pi.
    Camera camera;
    camera.horizontalAngle = 3.1415927f;
    camera.position = glm::vec3(0.0f, 5.0f, -19.75f);
    stepCamera(camera, 0.25f, stillInput());
    EXPECT_EQ(camera.position.z, -19.75f);
}

// Heading diagonally into the x wall: z still moves while x is held.
TEST(CameraStep, XAndZAreBoundedEachOnItsOwn) {
    Camera camera;
    camera.horizontalAngle = 0.7853982f;
    camera.position = glm::vec3(19.99f, 5.0f, 0.0f);
    stepCamera(camera, 0.5f, stillInput());
    EXPECT_EQ(camera.position.x, 19.99f);
    EXPECT_NEAR(camera.position.z, 0.3535534f, 1e-6f);

    Camera intoZ;
    intoZ.horizontalAngle = 0.7853982f;
    intoZ.position = glm::vec3(0.0f, 5.0f, 19.99f);
    stepCamera(intoZ, 0.5f, stillInput());
    EXPECT_NEAR(intoZ.position.x, 0.3535534f, 1e-6f);
    EXPECT_EQ(intoZ.position.z, 19.99f);
}

// With no turning, one pixel and three hundred shift the camera alike.
TEST(CameraStep, ShiftsFollowTheSignOfTheMovementOnly) {
    const Camera start = [] {
        Camera camera;
        camera.mouseSpeed = 0.0f;
        return camera;
    }();
    const float dt = 0.1f;
    Camera still = start;
    stepCamera(still, dt, stillInput());

    struct Case {
        int dx;
        int dy;
        glm::vec3 shift;
    };
    // At h = 3.14 right is about +x and up about +y.
    const Case cases[] = {
        {1, 0, {0.1f, 0.0f, 0.0f}},   {300, 0, {0.1f, 0.0f, 0.0f}},
        {-1, 0, {-0.1f, 0.0f, 0.0f}}, {-300, 0, {-0.1f, 0.0f, 0.0f}},
        {0, -1, {0.0f, 0.1f, 0.0f}},  {0, -300, {0.0f, 0.1f, 0.0f}},
        {0, 1, {0.0f, -0.1f, 0.0f}},  {0, 300, {0.0f, -0.1f, 0.0f}},
        {5, -5, {0.1f, 0.1f, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << ", " << c.dy);
        Camera camera = start;
        stepCamera(camera, dt, mouseMovedBy(c.dx, c.dy));
        expectNear(camera.position - still.position, c.shift, 2e-4f);
    }
}

TEST(CameraStep, ASidewaysShiftPastALimitMovesNeitherCoordinate) {
    struct Case {
        float horizontalAngle;
        glm::vec3 position;
    };
    // Facing -z right is about +x; facing +x it is about +z.
    const Case cases[] = {
        {3.14f, {19.95f, 5.0f, 3.0f}},
        {1.5707964f, {3.0f, 5.0f, 19.95f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.horizontalAngle);
        Camera camera;
        camera.mouseSpeed = 0.0f;
        camera.horizontalAngle = c.horizontalAngle;
        camera.position = c.position;
        Camera still = camera;
        stepCamera(still, 0.1f, stillInput());
        stepCamera(camera, 0.1f, mouseMovedBy(10, 0));
        EXPECT_EQ(camera.position.x, still.position.x);
        EXPECT_EQ(camera.position.z, still.position.z);
    }
}

TEST(CameraStep, ANegativeHorizontalAngleLooksWhereTheAnglePlusTwoPiLooks) {
    for (const float angle : {-0.5f, -2.0f, -4.0f, -6.0f}) {
        SCOPED_TRACE(angle);
        Camera negative;
        negative.horizontalAngle = angle;
        negative.verticalAngle = 0.3f;
        Camera positive = negative;
        positive.horizontalAngle = angle + twoPi;

        stepCamera(negative, 0.1f, mouseMovedBy(3, -2));
        stepCamera(positive, 0.1f, mouseMovedBy(3, -2));

        expectNear(negative.position, positive.position, 1e-5f);
        for (int column = 0; column < 4; ++column) {
            for (int row = 0; row < 4; ++row) {
                EXPECT_NEAR(negative.viewMatrix[column][row], positive.viewMatrix[column][row],
                            1e-4f);
            }
        }
    }
}

// An odd window size halves toward zero; the mouse at that centre is still.
TEST(CameraStep, TheCentreOfAnOddWindowIsTruncated) {
    Camera camera;
    const CameraStepResult result = stepCamera(camera, 0.1f, CameraInput{1281, 769, 640, 384});
    EXPECT_EQ(result.mouseX, 640);
    EXPECT_EQ(result.mouseY, 384);
    EXPECT_EQ(camera.horizontalAngle, 3.14f);
    EXPECT_EQ(camera.verticalAngle, 0.0f);
}

TEST(CameraStep, AWildMousePositionDoesNotOverflow) {
    Camera camera;
    stepCamera(camera, 1.0f / 60.0f, CameraInput{1280, 768, -2147483647 - 1, 2147483647});
    EXPECT_TRUE(std::isfinite(camera.horizontalAngle));
    EXPECT_TRUE(std::isfinite(camera.verticalAngle));
    EXPECT_GT(std::fabs(camera.horizontalAngle), 0.0f);
}

} // namespace
