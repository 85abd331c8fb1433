// The benchmark's entry: Google Benchmark runs the frame and load families
// with repetitions in random interleaving, and a table of ratios to their
// floors follows, with their targets. `make bench` runs it on a virtual
// display of its own and writes the JSON into build-bench/.
//
//   orvane_bench [Google Benchmark's flags]
//   orvane_bench --load-child ours|floor MODEL   (one load, for the run itself)
#include "bench/benchmarks.h"
#include "files/decoder.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <unistd.h>
#include <vector>

namespace orvane::bench {

QuietOutput::QuietOutput() : saved(dup(STDOUT_FILENO)) {
    std::fflush(stdout);
    const int nothing = open("/dev/null", O_WRONLY);
    dup2(nothing, STDOUT_FILENO);
    close(nothing);
}

QuietOutput::~QuietOutput() {
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
}

namespace {

struct Median {
    double time = 0.0;
    double peakMb = 0.0;
};

// The console table as Google Benchmark prints it, keeping each median.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal.
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) != 0 ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") {
                const auto peak = run.counters.find("peak_MB");
                medians[run.run_name.function_name] = {
                    run.GetAdjustedRealTime(), peak != run.counters.end() ? peak->second.value : 0};
            }
        }
    }

    // One row: ours against the floor, and whether the target holds.
    void row(const char* figure, const std::string& name, bool memory, double target) const {
        const auto ours = medians.find(prefix(name, "ours"));
        const auto floor = medians.find(prefix(name, "floor"));
        if (ours == medians.end() || floor == medians.end()) {
            return;
        }
        const double a = memory ? ours->second.peakMb : ours->second.time;
        const double b = memory ? floor->second.peakMb : floor->second.time;
        const double ratio = b > 0.0 ? a / b : 0.0;
        char verdict[32] = "-";
        if (target > 0.0) {
            std::snprintf(verdict, sizeof verdict, "<= %.2f  %s", target,
                          ratio <= target ? "met" : "MISSED");
        }
        std::printf("%-30s %10.2f %10.2f %8.2f   %s\n", figure, a, b, ratio, verdict);
    }

private:
    // "load/100000" with "ours" is "load/ours/100000"; "frame" is "frame/viewer".
    static std::string prefix(const std::string& name, const char* side) {
        const std::string who = name == "frame" && std::string(side) == "ours" ? "viewer" : side;
        const auto slash = name.find('/');
        return slash == std::string::npos ? name + "/" + who
                                          : name.substr(0, slash) + "/" + who + name.substr(slash);
    }

    std::map<std::string, Median> medians;
};

void printRatios(const RatioReporter& reporter) {
    std::printf("\n%-30s %10s %10s %8s   %s\n", "median of the repetitions", "ours", "floor",
                "ratio", "target");
    reporter.row("frame, 1280 x 768 (ms)", "frame", false, 1.05);
    for (const char* size : {"10000", "100000", "1000000"}) {
        const std::string name = std::string("load/") + size;
        const bool targeted = std::string(size) != "10000";
        reporter.row(("load, " + std::string(size) + " triangles (ms)").c_str(), name, false,
                     targeted ? 1.10 : 0.0);
        reporter.row(("peak memory, " + std::string(size) + " (MB)").c_str(), name, true, 1.2);
    }
}

} // namespace
} // namespace orvane::bench

int main(int argc, char** argv) {
    namespace bench = orvane::bench;
    // The shaders and the textures are found from the repo root.
    if (chdir(ORVANE_SOURCE_DIR) != 0) {
        std::fprintf(stderr, "cannot enter %s\n", ORVANE_SOURCE_DIR);
        return 1;
    }
    orvane::files::decoderSettings().executable = ORVANE_DECODER_PATH;
    if (argc == 4 && std::string(argv[1]) == "--load-child") {
        return bench::runLoadChild(argv[2], argv[3]);
    }
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "the benchmark needs a display; make bench provides one\n");
        return 1;
    }
    // Defaults first, so that the same flags on the command line win.
    std::vector<char*> arguments = {argv[0]};
    std::string defaults[] = {"--benchmark_repetitions=9",
                              "--benchmark_enable_random_interleaving=true",
                              "--benchmark_report_aggregates_only=true"};
    for (std::string& flag : defaults) {
        arguments.push_back(flag.data());
    }
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());

    char folder[] = "/tmp/orvane-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr || !bench::registerLoadBenchmarks(folder)) {
        return 1;
    }
    bench::registerFrameBenchmarks();
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    bench::printRatios(reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
