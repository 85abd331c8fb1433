// The pixel layouts the viewer takes.
#include "files/file_data.h"

namespace orvane::files {

std::uint32_t bytesPerPixel(std::uint32_t format, std::uint32_t type) {
    // OpenGL's codes, which DevIL shares.
    std::uint32_t channels = 0;
    switch (format) {
    case 0x1907: // RGB
    case 0x80E0: // BGR
        channels = 3;
        break;
    case 0x1908: // RGBA
    case 0x80E1: // BGRA
        channels = 4;
        break;
    default:
        return 0;
    }
    switch (type) {
    case 0x1400: // BYTE
    case 0x1401: // UNSIGNED_BYTE
        return channels;
    case 0x1402: // SHORT
    case 0x1403: // UNSIGNED_SHORT
    case 0x140B: // HALF_FLOAT
        return channels * 2;
    case 0x1404: // INT
    case 0x1405: // UNSIGNED_INT
    case 0x1406: // FLOAT
        return channels * 4;
    default:
        return 0;
    }
}

} // namespace orvane::files
