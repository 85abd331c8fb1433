// How DevIL reads image files: through our own callbacks, which a hostile
// file cannot stall.
#pragma once

namespace orvane {

// Needs ilInit first; holds until the next ilInit.
void readImagesSafely();

} // namespace orvane
