// The benchmark's two families, registered with Google Benchmark, and what
// they share.
#pragma once

#include <string>

namespace orvane::bench {

// The viewer's frame and the floor's, drawing the same scene in one window.
void registerFrameBenchmarks();

// Loads of models of about 10k, 100k and 1M triangles, made in the folder.
bool registerLoadBenchmarks(const std::string& folder);

// The child side of one load: prints its seconds and its peak memory in kB.
int runLoadChild(const std::string& side, const std::string& modelPath);

// Standard output to /dev/null for as long as the object lives: the scene
// prints its lines, the benchmark its table.
class QuietOutput {
public:
    QuietOutput();
    ~QuietOutput();
    QuietOutput(const QuietOutput&) = delete;
    QuietOutput& operator=(const QuietOutput&) = delete;

private:
    int saved;
};

} // namespace orvane::bench
