// One load measured inside a child process of its own: the viewer's model
// constructor, or the floor (Assimp's read with the same flag word and a
// copy of the vertices into the same 32-byte layout, nothing else).
#pragma once

#include <string>

namespace orvane::bench {

enum class LoadSide { Ours, Floor };

const char* sideName(LoadSide side);
bool sideFromName(const std::string& name, LoadSide& side);

// What a child reports, one line on the report descriptor.
struct LoadReport {
    double seconds = 0.0;
    long peakKb = 0;     // the resident high-water mark during the load
    long baselineKb = 0; // the resident set just before it
    unsigned long meshes = 0;
    unsigned long triangles = 0;
    double warmUpSeconds = 0.0; // the shared set-up's first texture
};

std::string formatReport(const LoadReport& report);
bool parseReport(const std::string& text, LoadReport& report);

// Both sides first open the same hidden 3.3 core context, build the scene's
// shader program and load one of the scene's textures, so the driver's
// memory and its one-time start-up are in both figures or in neither. Needs
// the repo root as the working directory. Returns the exit status.
int runLoadCase(LoadSide side, const std::string& modelPath);

} // namespace orvane::bench
