// Each case runs in a fresh process, so its peak is its own and no case
// inherits the heap of another; the order alternates (ours first, then the
// floor first) so that a drift of the machine falls on both sides alike.
#include "bench/load_benchmark.h"

#include "bench/child_process.h"
#include "bench/load_case.h"
#include "bench/statistics.h"

#include <iostream>
#include <vector>

namespace orvane::bench {
namespace {

struct SideSamples {
    std::vector<double> seconds;
    std::vector<double> peakMb;
    std::vector<double> growthMb;
    std::vector<double> baselineMb;
    std::vector<double> warmUpSeconds;
    LoadReport last;
};

double megabytes(long kb) {
    return static_cast<double>(kb) / 1024.0;
}

bool runCase(const std::string& selfPath, LoadSide side, const std::string& modelPath,
             SideSamples& samples) {
    const ChildOutcome outcome = runQuietly({selfPath, "--load-case", sideName(side), modelPath});
    LoadReport report;
    if (!outcome.succeeded || !parseReport(outcome.report, report)) {
        std::cerr << "The " << sideName(side) << " load case failed on " << modelPath << std::endl;
        return false;
    }
    samples.seconds.push_back(report.seconds);
    samples.peakMb.push_back(megabytes(report.peakKb));
    samples.growthMb.push_back(megabytes(report.peakKb - report.baselineKb));
    samples.baselineMb.push_back(megabytes(report.baselineKb));
    samples.warmUpSeconds.push_back(report.warmUpSeconds);
    samples.last = report;
    return true;
}

} // namespace

bool generateModel(const std::string& directory, long triangles) {
    const ChildOutcome outcome = runQuietly(
        {ORVANE_MAKE_MODEL, directory + "/Untitled.dae", "--triangles", std::to_string(triangles)});
    if (!outcome.succeeded) {
        std::cerr << "The model generator failed for " << triangles << " triangles" << std::endl;
    }
    return outcome.succeeded;
}

bool measureLoad(const std::string& selfPath, const std::string& modelPath, int repetitions,
                 LoadFigures& figures) {
    SideSamples ours;
    SideSamples floor;
    for (int i = 0; i < repetitions; ++i) {
        const bool oursFirst = i % 2 == 0;
        SideSamples& first = oursFirst ? ours : floor;
        SideSamples& second = oursFirst ? floor : ours;
        const LoadSide firstSide = oursFirst ? LoadSide::Ours : LoadSide::Floor;
        const LoadSide secondSide = oursFirst ? LoadSide::Floor : LoadSide::Ours;
        if (!runCase(selfPath, firstSide, modelPath, first) ||
            !runCase(selfPath, secondSide, modelPath, second)) {
            return false;
        }
    }
    if (ours.last.meshes != floor.last.meshes || ours.last.triangles != floor.last.triangles) {
        std::cerr << "The two sides loaded different models from " << modelPath << std::endl;
        return false;
    }
    figures.meshes = ours.last.meshes;
    figures.triangles = ours.last.triangles;
    figures.repetitions = repetitions;
    figures.oursSeconds = median(ours.seconds);
    figures.floorSeconds = median(floor.seconds);
    figures.oursPeakMb = median(ours.peakMb);
    figures.floorPeakMb = median(floor.peakMb);
    figures.oursGrowthMb = median(ours.growthMb);
    figures.floorGrowthMb = median(floor.growthMb);
    figures.baselineMb = median(floor.baselineMb);
    std::vector<double> warmUps = ours.warmUpSeconds;
    warmUps.insert(warmUps.end(), floor.warmUpSeconds.begin(), floor.warmUpSeconds.end());
    figures.warmUpSeconds = median(warmUps);
    return true;
}

} // namespace orvane::bench
