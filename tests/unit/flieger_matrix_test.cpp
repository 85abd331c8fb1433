// Where the flyer hangs: a fixed place in the camera's own frame, whatever
// view the camera has.
#include "camera/camera_step.h"
#include "scene/flieger.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace {

using orvane::Camera;
using orvane::CameraInput;
using orvane::stepCamera;
using orvane::scene::fliegerEyeMatrix;
using orvane::scene::fliegerModelMatrix;

// Turned half about y, 0.5 below the eye and 2.3 ahead.
const glm::mat4 expectedEyeMatrix(glm::vec4(-1.0f, 0.0f, 0.0f, 0.0f),
                                  glm::vec4(0.0f, 1.0f, 0.0f, 0.0f),
                                  glm::vec4(0.0f, 0.0f, -1.0f, 0.0f),
                                  glm::vec4(0.0f, -0.5f, -2.3f, 1.0f));

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected, float tolerance) {
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            EXPECT_NEAR(actual[column][row], expected[column][row], tolerance)
                << "column " << column << ", row " << row;
        }
    }
}

TEST(FliegerMatrix, UnderAnIdentityViewItHangsBelowAndAheadNoseForward) {
    expectMatrixNear(fliegerModelMatrix(glm::mat4(1.0f)), expectedEyeMatrix, 1e-6f);
    expectMatrixNear(fliegerEyeMatrix(), expectedEyeMatrix, 1e-6f);
}

// Views as the controller makes them, after flights of several kinds.
TEST(FliegerMatrix, EveryControllerViewTimesTheModelIsTheEyeMatrix) {
    struct Flight {
        int dx;
        int dy;
        bool upKey;
        int frames;
    };
    const Flight flights[] = {
        {0, 0, false, 1},     {25, -10, false, 20}, {-60, 35, true, 40},
        {300, 200, false, 7}, {-5, -120, true, 90},
    };
    for (const Flight& flight : flights) {
        SCOPED_TRACE(testing::Message() << flight.dx << ", " << flight.dy);
        Camera camera;
        const CameraInput input{1280, 768, 640 + flight.dx, 384 + flight.dy, flight.upKey, false};
        for (int frame = 0; frame < flight.frames; ++frame) {
            stepCamera(camera, 0.03f, input);
        }
        expectMatrixNear(camera.viewMatrix * fliegerModelMatrix(camera.viewMatrix),
                         expectedEyeMatrix, 1e-4f);
    }
}

} // namespace
