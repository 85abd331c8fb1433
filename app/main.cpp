// The viewer's entry: start-up, the frame loop, shutdown.
#include "app/frame_loop.h"
#include "util/fatal_error.h"

int main() {
    const orvane::StartupFailure failure = orvane::openWindowAndContext();
    if (failure != orvane::StartupFailure::None) {
        orvane::fatalError(orvane::failureMessage(failure));
    }
    orvane::startScene();
    orvane::FrameClock clock;
    while (orvane::runFrame(clock)) {
    }
    orvane::shutDown();
    return 0;
}
