// The scene as the viewer sets it up, from the source tree's data: the
// flyer in front of every view, and the frames around the end of camera mode.
#include "app/scene.h"
#include "camera/camera.h"
#include "camera/camera_step.h"
#include "scene/cube.h"
#include "scene/flieger.h"
#include "support/gl_context.h"
#include "support/viewer.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

namespace {

using orvane::theScene;
using orvane::updateScene;

// The flyer in the camera's own frame: turned half about y, 0.5 below the
// eye and 2.3 ahead.
const glm::mat4 inEye(glm::vec4(-1.0f, 0.0f, 0.0f, 0.0f), glm::vec4(0.0f, 1.0f, 0.0f, 0.0f),
                      glm::vec4(0.0f, 0.0f, -1.0f, 0.0f), glm::vec4(0.0f, -0.5f, -2.3f, 1.0f));

void expectNear(const glm::mat4& actual, const glm::mat4& expected, float tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i / 4][i % 4], expected[i / 4][i % 4], tolerance) << "element " << i;
    }
}

class SceneUpdate : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(orvane::test::ensureGlContext());
        const std::filesystem::path workingDirectory = std::filesystem::current_path();
        std::filesystem::current_path(orvane::test::sourcePath(""));
        orvane::setupScene();
        std::filesystem::current_path(workingDirectory);
        ASSERT_TRUE(theScene.camera && theScene.cube && theScene.flieger);
    }
    void TearDown() override {
        orvane::teardownScene();
        theScene = saved;
    }

    const orvane::Scene saved = theScene;
};

TEST_F(SceneUpdate, TheFlyerHoldsItsSetUpPlaceThenSitsBelowAndAheadOfEveryView) {
    orvane::Camera& camera = *theScene.camera;
    orvane::scene::Flieger& flieger = *theScene.flieger;
    EXPECT_EQ(flieger.modelMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(4.0f, 5.0f, 0.0f)));
    // Placed from this frame's view, so it never lags a frame behind.
    updateScene(0.05);
    EXPECT_TRUE(theScene.cameraMode);
    expectNear(camera.viewMatrix * flieger.modelMatrix, inEye, 1e-4f);

    camera.viewMatrix = glm::mat4(1.0f);
    flieger.update(0.016);
    expectNear(flieger.modelMatrix, inEye, 1e-6f);
    const glm::mat4 first = flieger.modelMatrix;
    flieger.update(3.5);
    EXPECT_EQ(std::memcmp(&flieger.modelMatrix, &first, sizeof first), 0) << "dt plays a part";

    // Flights of several kinds, each ending in a view of its own.
    const struct {
        int dx;
        int dy;
        bool upKey;
        int frames;
    } flights[] = {{25, -10, false, 20}, {-60, 35, true, 40}, {-5, -120, true, 90}};
    for (const auto& flight : flights) {
        SCOPED_TRACE(testing::Message() << flight.dx << ", " << flight.dy);
        const orvane::CameraInput input{1280, 768, 640 + flight.dx, 384 + flight.dy, flight.upKey};
        for (int frame = 0; frame < flight.frames; ++frame) {
            orvane::stepCamera(camera, 0.03f, input);
        }
        flieger.update(0.03);
        expectNear(camera.viewMatrix * flieger.modelMatrix, inEye, 1e-4f);
    }
}

// Frame 1 ends camera mode, frame 2 sets the flag after the cube's own
// update, frame 3 is the first to turn the cube.
TEST_F(SceneUpdate, TheCubeFirstTurnsTwoFramesAfterCaptureAndTheViewStays) {
    theScene.camera->position = glm::vec3(0.5f, 2.0f, -1.0f);
    const glm::mat4 view = theScene.camera->viewMatrix;
    const glm::mat4 start = theScene.cube->modelMatrix;

    updateScene(0.1);
    EXPECT_FALSE(theScene.cameraMode);
    EXPECT_FALSE(theScene.cube->rotating);
    updateScene(0.1);
    EXPECT_TRUE(theScene.cube->rotating);
    EXPECT_EQ(theScene.cube->modelMatrix, start);

    updateScene(0.1);
    const glm::vec4 localX = theScene.cube->modelMatrix * glm::vec4(1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(localX.x, std::cos(glm::radians(10.0f)), 1e-5f);
    EXPECT_NEAR(localX.z, -std::sin(glm::radians(10.0f)), 1e-5f);
    EXPECT_EQ(theScene.camera->viewMatrix, view);
}

} // namespace
