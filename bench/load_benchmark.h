// The parent side of the load benchmark: one child process per case, ours
// and the floor alternating, medians over the repetitions.
#pragma once

#include <string>

namespace orvane::bench {

struct LoadFigures {
    unsigned long meshes = 0;
    unsigned long triangles = 0;
    int repetitions = 0;
    double oursSeconds = 0.0;
    double floorSeconds = 0.0;
    double oursPeakMb = 0.0;
    double floorPeakMb = 0.0;
    double oursGrowthMb = 0.0; // the peak less the resident set before the load
    double floorGrowthMb = 0.0;
    double baselineMb = 0.0;    // the resident set of the shared set-up alone
    double warmUpSeconds = 0.0; // the shared set-up's first texture
};

// Writes <directory>/Untitled.dae and its textures with the project's
// model generator.
bool generateModel(const std::string& directory, long triangles);

// Runs this same program (selfPath) once per case. False, with a message on
// standard error, when a case failed or the two sides loaded different things.
bool measureLoad(const std::string& selfPath, const std::string& modelPath, int repetitions,
                 LoadFigures& figures);

} // namespace orvane::bench
