// Opening a file a user hands the viewer: only a regular file opens, so a
// FIFO, a device or a folder can never keep a load waiting.
#pragma once

#include <cstdio>

namespace orvane::files {

// The file at path, open for reading, when it is a regular file; null for a
// FIFO, a directory, a device or a file that does not open. Never waits.
std::FILE* openRegularFile(const char* path);

} // namespace orvane::files
