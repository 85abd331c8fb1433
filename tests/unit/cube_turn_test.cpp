// The cube's turn as a pure function of its matrix and the frame time.
#include "scene/cube.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using orvane::scene::turnedCubeMatrix;

bool sameBits(const glm::mat4& a, const glm::mat4& b) {
    return std::memcmp(&a, &b, sizeof(glm::mat4)) == 0;
}

void expectNear(const glm::vec4& actual, const glm::vec4& expected) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "component " << i;
    }
}

TEST(CubeTurn, FramesSummingToPointNineSecondsMakeAQuarterTurnAboutY) {
    const std::vector<std::vector<double>> frameSets = {
        {0.9}, {0.3, 0.3, 0.3}, {0.45, 0.45}, std::vector<double>(90, 0.01), {0.1, 0.0, 0.5, 0.3},
    };
    for (const auto& frames : frameSets) {
        SCOPED_TRACE(frames.size());
        glm::mat4 matrix(1.0f);
        for (double dt : frames) {
            matrix = turnedCubeMatrix(matrix, dt);
        }
        // The cube's own +x now points along world -z; +y stays up.
        expectNear(matrix[0], {0.0f, 0.0f, -1.0f, 0.0f});
        expectNear(matrix[1], {0.0f, 1.0f, 0.0f, 0.0f});
        expectNear(matrix[2], {1.0f, 0.0f, 0.0f, 0.0f});
        expectNear(matrix[3], {0.0f, 0.0f, 0.0f, 1.0f});
    }
}

TEST(CubeTurn, TurnsAboutItsOwnAxisAndKeepsItsPlace) {
    const glm::mat4 placed = glm::translate(glm::mat4(1.0f), glm::vec3(3.0f, 1.0f, -2.0f));
    const glm::mat4 turned = turnedCubeMatrix(placed, 1.8);
    // Half a turn: x and z reversed, the translation where it was.
    expectNear(turned[0], {-1.0f, 0.0f, 0.0f, 0.0f});
    expectNear(turned[2], {0.0f, 0.0f, -1.0f, 0.0f});
    expectNear(turned[3], {3.0f, 1.0f, -2.0f, 1.0f});
}

TEST(CubeTurn, ZeroFrameTimeChangesNothing) {
    glm::mat4 start = glm::translate(glm::mat4(1.0f), glm::vec3(0.5f, 2.0f, 7.0f));
    start = glm::rotate(start, glm::radians(33.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_TRUE(sameBits(turnedCubeMatrix(start, 0.0), start));
    EXPECT_TRUE(sameBits(turnedCubeMatrix(glm::mat4(1.0f), 0.0), glm::mat4(1.0f)));
}

} // namespace
