// The table's rows and notes, numbers formatted as the README shows them,
// and the machine facts read from the system.
#include "bench/bench_report.h"

#include <assimp/version.h>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

namespace orvane::bench {
namespace {

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string grouped(unsigned long value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

double ratioOf(double ours, double floor) {
    return floor > 0.0 ? ours / floor : 0.0;
}

TableRow ratioRow(const std::string& figure, double ours, double floor, int decimals,
                  double target) {
    const double ratio = ratioOf(ours, floor);
    TableRow row{figure, fixed(ours, decimals), fixed(floor, decimals), fixed(ratio, 2), "—", "—"};
    if (target > 0.0) {
        row.target = "≤ " + fixed(target, 2);
        row.met = ratio <= target ? "yes" : "no";
    }
    return row;
}

void addLoadRows(const LoadRun& run, Table& table) {
    const LoadFigures& f = run.figures;
    const std::string size = grouped(f.triangles) + " triangles";
    const double timeTarget =
        run.requestedTriangles >= loadTimeTargetFromTriangles ? loadTimeTarget : 0.0;
    table.rows.push_back(ratioRow("load time, " + size + " (ms)", f.oursSeconds * 1000.0,
                                  f.floorSeconds * 1000.0, 1, timeTarget));
    table.rows.push_back(ratioRow("peak memory, " + size + " (MB)", f.oursPeakMb, f.floorPeakMb, 1,
                                  peakMemoryTarget));
    table.rows.push_back(ratioRow("memory the load adds, " + size + " (MB)", f.oursGrowthMb,
                                  f.floorGrowthMb, 1, 0.0));
}

void addFrameRows(const FrameFigures& frames, Table& table) {
    table.rows.push_back(
        ratioRow("frame time, 1280 × 768 (ms, median of " + std::to_string(frames.oursFrames) + ")",
                 frames.oursMs, frames.floorMs, 2, frameTimeTarget));
    TableRow allocations{"allocations per frame (" + std::to_string(frames.oursFrames) + " frames)",
                         fixed(frames.allocationsPerFrame, 2),
                         "—",
                         "—",
                         "0",
                         frames.allocations == 0 ? "yes" : "no"};
    table.rows.push_back(allocations);
}

std::string repetitionsText(const std::vector<LoadRun>& loads) {
    std::string text;
    for (const LoadRun& run : loads) {
        text += (text.empty() ? "" : ", ") + std::to_string(run.figures.repetitions) + " at " +
                grouped(run.figures.triangles);
    }
    return text;
}

std::string loadNote(const std::vector<LoadRun>& loads) {
    const double warmUpMs = loads.empty() ? 0.0 : loads.front().figures.warmUpSeconds * 1000.0;
    return "Load time: ours is the `ImportObject` constructor (Assimp read, conversion, buffer "
           "upload, material textures, then `glFinish`); the floor is "
           "`Assimp::Importer::ReadFile` with the same flag word 0x800B and a copy of every "
           "vertex into the same 32-byte layout. Each run is a process of its own that first "
           "opens a hidden 1280 × 768 OpenGL 3.3 core context, builds the scene's shader program "
           "and loads `Textures/GrassTexture.png`, on both sides alike: llvmpipe compiles its "
           "mipmap shaders on the first texture of a process (" +
           fixed(warmUpMs, 0) +
           " ms here), which is the driver starting, not the load. Ours and the floor alternate; "
           "medians of " +
           repetitionsText(loads) +
           " runs a side (fewer at the largest size, whose read alone takes seconds).";
}

std::string memoryNote(const std::vector<LoadRun>& loads) {
    const double baseline = loads.empty() ? 0.0 : loads.front().figures.baselineMb;
    return "Peak memory: the resident high-water mark (VmHWM) of that process from just before "
           "the load to its end; the " +
           fixed(baseline, 1) +
           " MB of the shared set-up (mostly the driver) are in both figures. The row below "
           "each gives the peak less that resident set.";
}

std::string frameNote(const FrameFigures& frames, const FrameSettings& settings) {
    return "Frame time: one visible 1280 × 768 window on the virtual display, the real scene with "
           "the shipped model, the camera held still where all four objects show (its step "
           "still runs). Ours is the viewer's loop body (clear, update, draw, swap with the "
           "window's events, GL error check); the floor clears and draws the same buffers with "
           "the same textures through one minimal program (a matrix and a texture lookup, no "
           "lighting), with vertex arrays made beforehand, then swaps. " +
           std::to_string(settings.warmUpFrames) + " warm-up frames each, then blocks of " +
           std::to_string(settings.framesPerBlock) + " frames taking turns, " +
           std::to_string(frames.oursFrames) + " frames a side; medians.";
}

void addNotes(const std::vector<LoadRun>& loads, const FrameFigures& frames,
              const FrameSettings& settings, Table& table) {
    table.notes = {
        "Models: made in the run by `tools/make_model --triangles N` (the shipped rocket, "
        "tessellated finer: 4 meshes, 3 materials, 2 textures).",
        loadNote(loads),
        memoryNote(loads),
        frameNote(frames, settings),
        "Allocations: the global operator new is replaced in the benchmark and counted over the "
        "viewer's timed frames; allocations the GL driver and the window system make with "
        "malloc are not in it.",
    };
    if (frames.glErrorFrames > 0) {
        table.notes.push_back("OpenGL reported an error in " +
                              std::to_string(frames.glErrorFrames) + " of the viewer's frames.");
    }
}

std::string cpuModel() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.compare(0, 10, "model name") == 0) {
            const std::size_t colon = line.find(':');
            if (colon != std::string::npos) {
                return line.substr(line.find_first_not_of(' ', colon + 1));
            }
        }
    }
    return "unknown CPU";
}

std::string utcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &parts);
    return text;
}

} // namespace

RunFacts collectRunFacts() {
    RunFacts facts;
    facts.cpu = cpuModel();
    facts.cores = std::thread::hardware_concurrency();
    facts.date = utcNow();
    facts.assimpVersion = std::to_string(aiGetVersionMajor()) + "." +
                          std::to_string(aiGetVersionMinor()) + "." +
                          std::to_string(aiGetVersionPatch());
    return facts;
}

Table buildTable(const std::vector<LoadRun>& loads, const FrameFigures& frames,
                 const FrameSettings& frameSettings, const RunFacts& facts) {
    Table table;
    table.facts = {
        "Measured " + facts.date + " by `make bench`.",
        "CPU: " + facts.cpu + ", " + std::to_string(facts.cores) + " cores. OpenGL: " +
            frames.renderer + ", " + frames.glVersion + ". Assimp " + facts.assimpVersion + ".",
    };
    for (const LoadRun& run : loads) {
        addLoadRows(run, table);
    }
    addFrameRows(frames, table);
    addNotes(loads, frames, frameSettings, table);
    return table;
}

} // namespace orvane::bench
