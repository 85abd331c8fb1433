// The camera step of the scene's frame with real objects: the controller
// runs while camera mode is on, and once it has ended the cube spins.
#include "app/scene.h"
#include "camera/camera.h"
#include "scene/cube.h"
#include "scene/flieger.h"
#include "scene/import_object.h"
#include "support/gl_context.h"
#include "support/test_shader.h"
#include "support/viewer.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

namespace {

using orvane::Camera;
using orvane::Scene;
using orvane::theScene;
using orvane::updateScene;

bool sameBits(const glm::mat4& a, const glm::mat4& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

const glm::mat4 identity(1.0f);

class SceneUpdateTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(orvane::test::ensureGlContext());
        saved = theScene;
        program = orvane::test::makeShippedShaderProgram();
        theScene.shaderProgram = program.get();
        theScene.camera = &camera;
        cube = std::make_unique<orvane::scene::Cube>(identity);
        flieger = std::make_unique<orvane::scene::Flieger>(
            glm::translate(identity, glm::vec3(4.0f, 5.0f, 0.0f)));
        // No model: the frame only needs something to update.
        importObject = std::make_unique<orvane::scene::ImportObject>(
            identity, (folder.path() / "none.dae").string());
        theScene.cube = cube.get();
        theScene.flieger = flieger.get();
        theScene.importObject = importObject.get();
        theScene.cameraMode = true;
    }
    void TearDown() override { theScene = saved; }

    Scene saved;
    orvane::test::TempDir folder;
    Camera camera;
    std::unique_ptr<orvane::ShaderProgram> program;
    std::unique_ptr<orvane::scene::Cube> cube;
    std::unique_ptr<orvane::scene::Flieger> flieger;
    std::unique_ptr<orvane::scene::ImportObject> importObject;
};

TEST_F(SceneUpdateTest, WhileCameraModeIsOnTheViewMovesAndTheFlyerFollowsInTheSameFrame) {
    const glm::mat4 initialView = camera.viewMatrix;
    updateScene(0.05);

    EXPECT_TRUE(theScene.cameraMode);
    EXPECT_FALSE(sameBits(camera.viewMatrix, initialView));
    EXPECT_NE(camera.position, glm::vec3(1.0f, 5.0f, 1.0f));
    EXPECT_FALSE(cube->rotating);
    const glm::mat4 inEye = camera.viewMatrix * flieger->modelMatrix;
    const glm::mat4 expected = orvane::scene::fliegerEyeMatrix();
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            EXPECT_NEAR(inEye[column][row], expected[column][row], 1e-4f);
        }
    }
}

// Frame 1 ends camera mode, frame 2 sets the flag after the cube's own
// update, frame 3 is the first to turn the cube.
TEST_F(SceneUpdateTest, TheCubeFirstTurnsTwoFramesAfterCaptureAndTheViewStays) {
    camera.position = glm::vec3(0.5f, 2.0f, -1.0f);
    const Camera captured = camera;

    updateScene(0.1);
    EXPECT_FALSE(theScene.cameraMode);
    EXPECT_FALSE(cube->rotating);
    EXPECT_TRUE(sameBits(cube->modelMatrix, identity));

    updateScene(0.1);
    EXPECT_TRUE(cube->rotating);
    EXPECT_TRUE(sameBits(cube->modelMatrix, identity));

    updateScene(0.1);
    const glm::vec4 localX = cube->modelMatrix * glm::vec4(1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(localX.x, std::cos(glm::radians(10.0f)), 1e-5f);
    EXPECT_NEAR(localX.z, -std::sin(glm::radians(10.0f)), 1e-5f);

    EXPECT_TRUE(sameBits(camera.viewMatrix, captured.viewMatrix));
    EXPECT_EQ(camera.position, captured.position);
}

TEST_F(SceneUpdateTest, OnceCameraModeIsOffTheControllerIsNotRunEvenOutsideTheBox) {
    theScene.cameraMode = false;
    const glm::mat4 initialView = camera.viewMatrix;
    updateScene(0.1);
    updateScene(0.1);
    EXPECT_FALSE(theScene.cameraMode);
    EXPECT_TRUE(sameBits(camera.viewMatrix, initialView));
    EXPECT_EQ(camera.position, glm::vec3(1.0f, 5.0f, 1.0f));
}

TEST_F(SceneUpdateTest, TheSpinIsSwitchedOnAgainInEveryFrame) {
    theScene.cameraMode = false;
    updateScene(0.1);
    ASSERT_TRUE(cube->rotating);
    cube->rotating = false;
    updateScene(0.1);
    EXPECT_TRUE(cube->rotating);
}

// Set-up as the viewer runs it, from the source tree's data.
TEST(SceneSetUp, StartsInCameraModeWithTheCameraAboveTheBoxAndTheFlyerAtItsPlace) {
    ASSERT_TRUE(orvane::test::ensureGlContext());
    const Scene saved = theScene;
    const std::filesystem::path workingDirectory = std::filesystem::current_path();
    std::filesystem::current_path(orvane::test::sourcePath(""));
    orvane::setupScene();
    std::filesystem::current_path(workingDirectory);

    EXPECT_TRUE(theScene.cameraMode);
    ASSERT_NE(theScene.camera, nullptr);
    ASSERT_NE(theScene.flieger, nullptr);
    EXPECT_EQ(theScene.flieger->camera, theScene.camera);
    EXPECT_TRUE(sameBits(theScene.flieger->modelMatrix,
                         glm::translate(identity, glm::vec3(4.0f, 5.0f, 0.0f))));
    EXPECT_EQ(theScene.camera->position, glm::vec3(1.0f, 5.0f, 1.0f));

    // The first frame, however long set-up took, flies and replaces the view.
    const glm::mat4 initialView = theScene.camera->viewMatrix;
    updateScene(2.5);
    EXPECT_TRUE(theScene.cameraMode);
    EXPECT_FALSE(sameBits(theScene.camera->viewMatrix, initialView));
    EXPECT_FALSE(sameBits(theScene.flieger->modelMatrix,
                          glm::translate(identity, glm::vec3(4.0f, 5.0f, 0.0f))));

    orvane::teardownScene();
    theScene = saved;
}

} // namespace
