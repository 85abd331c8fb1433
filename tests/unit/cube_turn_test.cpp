// The cube's turn as a pure function of its matrix and the frame time.
#include "scene/cube.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using orvane::scene::turnedCubeMatrix;

TEST(CubeTurn, FramesSummingToPointNineSecondsMakeAQuarterTurnAboutOwnYAndZeroNone) {
    const glm::mat4 placed = glm::translate(glm::mat4(1.0f), glm::vec3(3.0f, 1.0f, -2.0f));
    const std::vector<std::vector<double>> frameSets = {
        {0.9}, {0.3, 0.3, 0.3}, std::vector<double>(90, 0.01), {0.1, 0.0, 0.5, 0.3}};
    for (const auto& frames : frameSets) {
        SCOPED_TRACE(frames.size());
        glm::mat4 matrix = placed;
        for (double dt : frames) {
            matrix = turnedCubeMatrix(matrix, dt);
        }
        // The cube's own +x now points along world -z; +y stays up; it stays put.
        const glm::mat4 expected(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 3, 1, -2, 1);
        for (int column = 0; column < 4; ++column) {
            EXPECT_LT(glm::length(matrix[column] - expected[column]), 1e-5f) << column;
        }
    }
    const glm::mat4 tilted = glm::rotate(placed, glm::radians(33.0f), glm::vec3(0, 1, 0));
    const glm::mat4 unmoved = turnedCubeMatrix(tilted, 0.0);
    EXPECT_EQ(std::memcmp(&unmoved, &tilted, sizeof(glm::mat4)), 0) << "dt = 0 changed it";
}

} // namespace
