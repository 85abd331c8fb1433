// The viewer's entry: start-up, the frame loop, shutdown.
#include "app/frame_loop.h"
#include "platform/platform.h"
#include "util/fatal_error.h"

namespace {

// Outlives main: in a browser the frames run after main has handed them over.
orvane::FrameClock theClock;

bool nextFrame() {
    return orvane::runFrame(theClock);
}

} // namespace

int main() {
    const orvane::StartupFailure failure = orvane::openWindowAndContext();
    if (failure != orvane::StartupFailure::None) {
        orvane::fatalError(orvane::failureMessage(failure));
    }
    orvane::startScene();
    orvane::platform::runFrames(nextFrame, orvane::shutDown);
    return 0;
}
