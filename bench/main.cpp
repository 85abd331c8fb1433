// The benchmark's entry: makes the models, measures the load and the frame
// against their floors, prints the table, writes it as Markdown and splices
// it into the README. Run by `make bench` on a display (a virtual one when
// there is none).
//
//   orvane_bench [--quick]         --quick: fewer runs, and nothing written
//   orvane_bench --load-case ours|floor MODEL   (one load case, for the run itself)
#include "bench/bench_report.h"
#include "bench/frame_benchmark.h"
#include "bench/load_benchmark.h"
#include "bench/load_case.h"
#include "bench/results_table.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace bench = orvane::bench;
namespace fs = std::filesystem;

struct SizeCase {
    long triangles;
    int repetitions;
};

struct Options {
    bool quick = false;
};

std::vector<SizeCase> sizeCases(const Options& options) {
    if (options.quick) {
        return {{10000, 3}, {100000, 3}};
    }
    // A 1M-triangle Collada file takes seconds to read, so fewer runs there.
    return {{10000, 9}, {100000, 9}, {1000000, 5}};
}

bench::FrameSettings frameSettings(const Options& options) {
    bench::FrameSettings settings;
    if (options.quick) {
        settings.warmUpFrames = 10;
        settings.blocks = 6;
    }
    return settings;
}

bool measureAllLoads(const Options& options, std::vector<bench::LoadRun>& loads) {
    std::string pattern = (fs::temp_directory_path() / "orvane-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::cerr << "Could not make a temporary folder for the models" << std::endl;
        return false;
    }
    const fs::path models = pattern;
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    bool measured = true;
    for (const SizeCase& size : sizeCases(options)) {
        const fs::path directory = models / std::to_string(size.triangles);
        std::cout << "Load: " << size.triangles << " triangles, " << size.repetitions
                  << " runs a side" << std::endl;
        bench::LoadRun run;
        run.requestedTriangles = size.triangles;
        measured = bench::generateModel(directory.string(), size.triangles) &&
                   bench::measureLoad(self, (directory / "Untitled.dae").string(), size.repetitions,
                                      run.figures);
        fs::remove_all(directory);
        if (!measured) {
            break;
        }
        loads.push_back(run);
    }
    fs::remove_all(models);
    return measured;
}

bool writeFile(const fs::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return static_cast<bool>(file);
}

void publish(const std::string& markdown) {
    const fs::path results = "bench/results.md";
    if (!writeFile(results, markdown)) {
        std::cerr << "Could not write " << results << std::endl;
        return;
    }
    std::cout << "Wrote " << results.string() << std::endl;
    std::ifstream readmeFile("README.md", std::ios::binary);
    std::ostringstream readme;
    readme << readmeFile.rdbuf();
    std::string document = readme.str();
    if (!bench::spliceBetweenMarkers(document, markdown)) {
        std::cout << "README.md has no " << bench::readmeBeginMarker << " ... "
                  << bench::readmeEndMarker << " pair; left it as it is" << std::endl;
        return;
    }
    if (writeFile("README.md", document)) {
        std::cout << "Updated the table in README.md" << std::endl;
    }
}

int runLoadCase(const std::string& side, const std::string& model) {
    bench::LoadSide loadSide = bench::LoadSide::Ours;
    if (!bench::sideFromName(side, loadSide)) {
        std::cerr << "--load-case takes ours or floor" << std::endl;
        return 2;
    }
    return bench::runLoadCase(loadSide, model);
}

int runBenchmark(const Options& options) {
    if (std::getenv("DISPLAY") == nullptr) {
        std::cerr << "The benchmark needs a display; `make bench` starts a virtual one when "
                     "there is none"
                  << std::endl;
        return 1;
    }
    std::vector<bench::LoadRun> loads;
    if (!measureAllLoads(options, loads)) {
        return 1;
    }
    std::cout << "Frame: the viewer and the floor in alternating blocks" << std::endl;
    const bench::FrameSettings settings = frameSettings(options);
    bench::FrameFigures frames;
    if (!bench::measureFrames(settings, frames)) {
        return 1;
    }
    const bench::Table table = bench::buildTable(loads, frames, settings, bench::collectRunFacts());
    std::cout << '\n' << bench::plainText(table) << std::endl;
    if (!options.quick) {
        publish(bench::markdown(table));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // The shaders, the textures and the README are found from the repo root.
    if (chdir(ORVANE_SOURCE_DIR) != 0) {
        std::cerr << "Cannot enter " << ORVANE_SOURCE_DIR << std::endl;
        return 1;
    }
    if (arguments.size() == 3 && arguments[0] == "--load-case") {
        return runLoadCase(arguments[1], arguments[2]);
    }
    Options options;
    for (const std::string& argument : arguments) {
        if (argument != "--quick") {
            std::cerr << "usage: orvane_bench [--quick]" << std::endl;
            return 2;
        }
        options.quick = true;
    }
    return runBenchmark(options);
}
