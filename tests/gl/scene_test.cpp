// The scene as the viewer builds it: camera placed and dt chosen, so every
// picture is the same on every machine.
#include "app/frame_loop.h"
#include "app/scene.h"
#include "camera/camera.h"
#include "gfx/texture.h"
#include "scene/cube.h"
#include "scene/import_object.h"
#include "support/files.h"
#include "support/gl_context.h"
#include "support/offscreen_target.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

// How often operator new has been called; -1 where it is not counted.
long allocationCount();

namespace {

using namespace orvane::test;
using orvane::theScene;

constexpr float pi = 3.1415927f;

// Grass; the rocket's paint, as red as nothing else; the crate emblem's teal
// or orange; the rocket's cream hull, lit or in shade.
const auto isGrass = [](const Rgba& p) { return p[1] > p[0] + 10 && p[1] > p[2] + 25; };
const auto isRed = [](const Rgba& p) { return p[0] > 60 && p[0] > 2 * p[1] && p[0] > 2 * p[2]; };
const auto isEmblem = [](const Rgba& p) {
    return (p[1] > p[0] + 30 && p[2] > p[0] + 30) || (p[0] > p[1] + 30 && p[1] > p[2] + 30);
};
const auto isCream = [](const Rgba& p) {
    const auto [low, high] = std::minmax({p[0], p[1], p[2]});
    return low > 90 && high - low < 12;
};

class ScenePicture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ensureGlContext()); }
    void TearDown() override { orvane::teardownScene(); }

    // The viewer's set-up, run in the folder; returns what it printed.
    std::vector<std::string> start(const fs::path& folder = sourcePath("")) {
        const InDirectory inFolder(folder);
        CapturedOutput output;
        // Before the scene: its destructor binds the window's framebuffer.
        target.reset();
        orvane::startScene();
        target = std::make_unique<OffscreenTarget>(1280, 768);
        return output.lines();
    }

    // Placed, turned, and one frame of dt drawn and read back.
    void frame(const glm::vec3& position, float horizontalAngle, float verticalAngle, double dt) {
        theScene.camera->position = position;
        theScene.camera->horizontalAngle = horizontalAngle;
        theScene.camera->verticalAngle = verticalAngle;
        frame(dt);
    }
    void frame(double dt) {
        ASSERT_NE(glInteger(GL_DRAW_FRAMEBUFFER_BINDING), 0) << "drawing into the window";
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        orvane::updateScene(dt);
        orvane::drawScene();
        target->read();
        EXPECT_EQ(takeGlError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // How many pixels of the rectangle pass the test.
    template <typename Test> int count(int x0, int y0, int x1, int y1, Test test) const {
        int passing = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                passing += test(target->at(x, y));
            }
        }
        return passing;
    }

    // How far the colours of the rectangle stray from its first pixel.
    int spread(int x0, int y0, int x1, int y1) const {
        int most = 0;
        count(x0, y0, x1, y1, [&](const Rgba& p) {
            for (int c = 0; c < 3; ++c) {
                most = std::max(most, std::abs(p[c] - target->at(x0, y0)[c]));
            }
            return true;
        });
        return most;
    }

    std::unique_ptr<OffscreenTarget> target;
};

// Four units in front of it at its own x: its paint and its hull, centred.
TEST_F(ScenePicture, TheModelStandsAtTenWithItsOwnTextures) {
    start();
    frame({10.0f, 1.2f, 4.0f}, pi, -0.05f, 0.0);
    EXPECT_GT(count(560, 200, 720, 480, isRed), 5000);
    EXPECT_EQ(count(0, 0, 560, 480, isRed) + count(720, 0, 1280, 480, isRed), 0);
    EXPECT_GT(count(560, 220, 720, 470, isCream), 2000);
}

// The cube turns two frames after the capture; 0.9 s later its plain -x side
// faces the unmoved camera where the image was.
TEST_F(ScenePicture, TheCubeShowsItsImageUntilCapturedThenTurnsItsPlainSideToTheView) {
    start();
    frame({0.0f, 2.0f, 3.5f}, pi, -0.5f, 0.0);
    EXPECT_TRUE(theScene.cameraMode);
    EXPECT_GT(spread(600, 400, 680, 420), 40);
    const glm::mat4 view = theScene.camera->viewMatrix;
    const glm::mat4 still = theScene.cube->modelMatrix;
    frame({0.0f, 2.0f, 2.4f}, pi, -0.5f, 0.1);
    EXPECT_FALSE(theScene.cameraMode);
    EXPECT_FALSE(theScene.cube->rotating);
    frame(0.1);
    EXPECT_TRUE(theScene.cube->rotating);
    EXPECT_EQ(theScene.cube->modelMatrix, still);
    frame(0.9);
    const glm::vec4 localX = theScene.cube->modelMatrix * glm::vec4(1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_LT(glm::length(localX - glm::vec4(0.0f, 0.0f, -1.0f, 0.0f)), 1e-5f);
    EXPECT_EQ(theScene.camera->viewMatrix, view);
    EXPECT_LE(spread(600, 400, 680, 420), 2);
}

// From a corner 2 units up, looking level along the diagonal, ground at the
// far plane (20 ahead) shows 2 / 20 / tan(30 degrees) x 384 = 66 rows below
// the middle; above, where ground up to 30 ahead would be, only sky.
TEST_F(ScenePicture, TheGroundShowsTheGrassUpToTheFarPlane) {
    start();
    frame({-8.0f, 3.0f, 8.0f}, pi * 0.75f, -0.9f, 0.0);
    EXPECT_EQ(count(0, 0, 1280, 400, isGrass), 1280 * 400);
    EXPECT_GT(spread(0, 0, 1280, 400), 40);
    frame({-19.0f, 2.0f, 19.0f}, pi * 0.75f, 0.0f, 0.0);
    EXPECT_EQ(count(0, 0, 1280, 448, isSky), 1280 * 448) << "ground beyond the far plane";
    EXPECT_EQ(count(0, 454, 1280, 480, isGrass), 1280 * 26);
}

// Past the ground's edge only sky is behind the flyer; from inside, the
// ground, drawn after it, must not cover it. It wears the crate's image.
TEST_F(ScenePicture, TheFlyerHangsBelowAndAheadWearsTheCratesImageAndHidesTheGround) {
    start();
    frame({0.0f, 5.0f, -19.9f}, pi, -0.3f, 0.0);
    const std::vector<Rgba> alone = target->picture();
    const int flyer = 1280 * 768 - count(0, 0, 1280, 768, isSky);
    EXPECT_GT(flyer, 30000);
    EXPECT_GT(count(0, 0, 1280, 768, isEmblem), 1000) << "not the crate's image";
    EXPECT_LT(count(0, 0, 1280, 768, isGrass), 100) << "grass on the flyer";
    EXPECT_EQ(count(0, 0, 1280, 480, isSky) + count(0, 480, 384, 768, isSky) +
                  count(896, 480, 1280, 768, isSky),
              1280 * 480 + 2 * 384 * 288);
    frame({0.0f, 5.0f, 10.0f}, pi, -0.3f, 0.0);
    EXPECT_GT(count(384, 480, 896, 768, isGrass), 50000);
    int covered = 0;
    for (std::size_t i = 0; i < alone.size(); ++i) {
        covered += !isSky(alone[i]) && std::abs(target->picture()[i][1] - alone[i][1]) > 3;
    }
    // Only the outline may round differently from the other place.
    EXPECT_LT(covered, flyer / 20);
}

// Set-up names every missing or broken file in order and goes on; every
// material still has a texture of its own.
TEST_F(ScenePicture, SetUpReportsEveryMissingOrBrokenFileInOrderAndGoesOn) {
    const std::string model = "Models/Untitled/models/Untitled.dae";
    const std::string hull = "Models/Untitled/models/textures/hull.png";
    const std::string paint = "Models/Untitled/models/paint.png";
    const std::string cube = "Textures/CompanionCube.png";
    const std::string grass = "Textures/GrassTexture.png";
    const std::string failed = "Texture loading failed";
    const struct {
        const char* name;
        std::vector<std::string> removed;
        std::vector<std::string> lines;
    } cases[] = {
        // The plinth's imageless material and the one whose image is missing use the cube's.
        {"images",
         {paint, cube, grass},
         {"4", hull, "Loaded texture '" + hull + "'", paint, failed,
          "Error loading texture '" + paint + "'", cube, failed, cube, failed, cube, failed, grass,
          failed}},
        {"model", {model}, {"Failed to load the scene: " + model, cube, grass}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir folder;
        copyRuntimeData(folder.path());
        for (const std::string& file : c.removed) {
            writeFile(folder.path() / file, "not what it should be\n");
        }
        EXPECT_EQ(start(folder.path()), c.lines);
        std::set<GLuint> textures;
        for (const auto& texture : theScene.importObject->materialTextures) {
            textures.insert(texture->id);
        }
        EXPECT_EQ(textures.size(), theScene.importObject->materialTextures.size());
        frame(0.5);
        // Drawn or not, the model turns 50 degrees about its own z axis.
        const glm::vec3 turned(std::cos(glm::radians(50.0f)), 0.0f, -std::sin(glm::radians(50.0f)));
        EXPECT_LT(glm::length(glm::vec3(theScene.importObject->modelMatrix[0]) - 0.1f * turned),
                  1e-6f);
        orvane::teardownScene();
    }
}

// Every test runs in a process of its own, so no name is alive before set-up.
TEST_F(ScenePicture, TeardownDeletesEveryNameSetUpMade) {
    const auto living = [] {
        GLuint alive = 0;
        for (GLuint name = 1; name < 4096; ++name) {
            alive += glIsBuffer(name) + glIsVertexArray(name) + glIsTexture(name) +
                     glIsProgram(name) + glIsShader(name);
        }
        return alive;
    };
    ASSERT_EQ(living(), 0u);
    start();
    EXPECT_GT(living(), 20u);
    orvane::teardownScene();
    target.reset();
    glUseProgram(0); // a program still in use is only marked for deletion
    EXPECT_EQ(living(), 0u);
}

TEST_F(ScenePicture, AFrameOfTheLoopAllocatesNothing) {
    if (allocationCount() < 0) {
        GTEST_SKIP() << "allocations are counted in the plain build";
    }
    start();
    orvane::FrameClock clock;
    orvane::runFrame(clock);
    const long before = allocationCount();
    for (int frame = 0; frame < 50; ++frame) {
        orvane::runFrame(clock);
    }
    EXPECT_EQ(allocationCount(), before);
}

} // namespace
