// Turns the measured figures into the benchmark's table, with the facts of
// the machine and the notes that say what each figure is.
#pragma once

#include "bench/frame_benchmark.h"
#include "bench/load_benchmark.h"
#include "bench/results_table.h"

#include <vector>

namespace orvane::bench {

// The targets each ratio is held to.
constexpr double loadTimeTarget = 1.10;
constexpr long loadTimeTargetFromTriangles = 100000; // the target applies from this size on
constexpr double peakMemoryTarget = 1.2;
constexpr double frameTimeTarget = 1.05;

struct LoadRun {
    long requestedTriangles = 0;
    LoadFigures figures;
};

struct RunFacts {
    std::string cpu;
    unsigned int cores = 0;
    std::string date; // UTC
    std::string assimpVersion;
};

RunFacts collectRunFacts();

Table buildTable(const std::vector<LoadRun>& loads, const FrameFigures& frames,
                 const FrameSettings& frameSettings, const RunFacts& facts);

} // namespace orvane::bench
