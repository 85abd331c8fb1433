// The frame benchmark: the viewer's own frame and the floor's, in blocks
// that alternate in one window, and the allocations of the viewer's frames.
#pragma once

#include <cstdint>
#include <string>

namespace orvane::bench {

struct FrameSettings {
    int warmUpFrames = 40;
    int framesPerBlock = 10;
    int blocks = 30; // per side
};

struct FrameFigures {
    int oursFrames = 0;
    int floorFrames = 0;
    double oursMs = 0.0; // medians
    double floorMs = 0.0;
    std::uint64_t allocations = 0; // over all of the viewer's timed frames
    double allocationsPerFrame = 0.0;
    int glErrorFrames = 0;
    std::string renderer;
    std::string glVersion;
};

// Opens the viewer's visible 1280 x 768 window on the current display and
// sets up the real scene; needs the repo root as the working directory.
// False, with a message on standard error, when there is no window.
bool measureFrames(const FrameSettings& settings, FrameFigures& figures);

} // namespace orvane::bench
