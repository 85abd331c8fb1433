// How files a user hands the viewer are opened: only regular files, and
// image files through DevIL callbacks of our own, which a hostile file
// cannot stall.
#pragma once

#include <cstdio>

namespace orvane {

// The file at path, open for reading, when it is a regular file; null for a
// FIFO, a directory, a device or a file that does not open. Never waits.
std::FILE* openRegularFile(const char* path);

// Needs ilInit first; holds until the next ilInit.
void readImagesSafely();

} // namespace orvane
