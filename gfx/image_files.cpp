// DevIL's own reading has two ways to stall on a file a model names: it opens
// a FIFO or a device as readily as a file, and some of its decoders ignore a
// short read and parse the stale buffer again (a PNG chunk whose length runs
// past the end of the file is read for ever). Here only regular files open,
// and every byte past the end reads as 0, which no decoder takes for data
// that goes on. And a PNG that libpng would give up on while DevIL reads its
// rows is refused before DevIL reads it: DevIL loses its table of rows then.
#include "gfx/image_files.h"

#include <IL/il.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <zlib.h>
#ifdef _WIN32
#include <cwchar>
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvane {
namespace {

std::uint32_t bigEndian(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

// How many bytes the image's rows take once inflated, each with its filter
// byte, from the IHDR chunk's data; Adam7 interlacing stores seven smaller
// images one after the other.
std::uint64_t inflatedSize(const unsigned char* header) {
    const std::uint64_t width = bigEndian(header);
    const std::uint64_t height = bigEndian(header + 4);
    const unsigned channels[] = {1, 0, 3, 1, 2, 0, 4};
    const std::uint64_t bitsPerPixel = header[8] * (header[9] < 7 ? channels[header[9]] : 0);
    const auto rows = [bitsPerPixel](std::uint64_t across, std::uint64_t down) {
        return across == 0 ? 0 : down * (1 + (across * bitsPerPixel + 7) / 8);
    };
    if (header[12] == 0) {
        return rows(width, height);
    }
    const unsigned pass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::uint64_t size = 0;
    for (const auto& [x, y, stepX, stepY] : pass) {
        size += rows((width + stepX - 1 - x) / stepX, (height + stepY - 1 - y) / stepY);
    }
    return size;
}

// The compressed image data, followed as it comes in IDAT chunks, to see
// whether it ends where zlib says it does, with every row in it.
class ImageData {
public:
    ImageData() { ok = inflateInit(&stream) == Z_OK; }
    ~ImageData() { inflateEnd(&stream); }
    ImageData(const ImageData&) = delete;
    ImageData& operator=(const ImageData&) = delete;

    void take(unsigned char* bytes, std::size_t count) {
        stream.next_in = bytes;
        stream.avail_in = static_cast<uInt>(count);
        while (ok && !ended && stream.avail_in > 0) {
            unsigned char rows[16384];
            stream.next_out = rows;
            stream.avail_out = sizeof rows;
            const int result = inflate(&stream, Z_NO_FLUSH);
            ended = result == Z_STREAM_END;
            ok = result == Z_OK || ended;
        }
    }

    bool whole() const { return ended && stream.total_out >= expected; }

    std::uint64_t expected = 0;
    bool ok = false;
    bool ended = false;

private:
    z_stream stream{};
};

// False when libpng would give up while DevIL reads the rows: the file ends
// before the compressed image data does, the data is broken or holds too
// few rows, or a critical
// chunk up to its end fails its checksum. What follows the image data
// (IEND or more chunks, whole, cut short or missing) libpng reads once the
// rows are in, and DevIL keeps them. True for a file that is not a PNG.
bool pngImageDataIsWhole(FILE* file) {
    unsigned char header[8];
    if (std::fread(header, 1, 8, file) != 8 || std::memcmp(header, "\x89PNG\r\n\x1a\n", 8) != 0) {
        return true;
    }
    ImageData image;
    bool began = false;
    while (image.ok && !image.ended) {
        if (std::fread(header, 1, 8, file) != 8) {
            return false;
        }
        const bool imageData = std::memcmp(header + 4, "IDAT", 4) == 0;
        if (began && !imageData) {
            return false; // the IDAT chunks stopped before the data did
        }
        began = began || imageData;
        std::uint32_t left = bigEndian(header);
        uLong checksum = crc32(0, header + 4, 4);
        unsigned char data[4096];
        while (left > 0) {
            const std::size_t piece =
                std::fread(data, 1, std::min<std::uint32_t>(left, sizeof data), file);
            if (piece == 0) {
                return false;
            }
            checksum = crc32(checksum, data, static_cast<uInt>(piece));
            if (imageData) {
                image.take(data, piece);
            } else if (std::memcmp(header + 4, "IHDR", 4) == 0 && piece >= 13) {
                image.expected = inflatedSize(data);
            }
            left -= static_cast<std::uint32_t>(piece);
        }
        const bool critical = (header[4] & 0x20) == 0;
        if (std::fread(data, 1, 4, file) != 4 || (critical && bigEndian(data) != checksum)) {
            return false;
        }
    }
    return image.whole();
}

FILE* fileOf(ILHANDLE handle) {
    return static_cast<FILE*>(handle);
}

ILHANDLE openImage(ILconst_string path) {
    FILE* file = openRegularFile(path);
    if (file != nullptr && (!pngImageDataIsWhole(file) || std::fseek(file, 0, SEEK_SET) != 0)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

void closeFile(ILHANDLE file) {
    std::fclose(fileOf(file));
}

ILboolean atEnd(ILHANDLE file) {
    return std::feof(fileOf(file)) != 0 ? IL_TRUE : IL_FALSE;
}

ILint readByte(ILHANDLE file) {
    return std::fgetc(fileOf(file));
}

ILint readBytes(void* buffer, ILuint size, ILuint count, ILHANDLE file) {
    const std::size_t read = std::fread(buffer, size, count, fileOf(file));
    std::memset(static_cast<char*>(buffer) + read * size, 0, (count - read) * size);
    return static_cast<ILint>(read);
}

ILint seek(ILHANDLE file, ILint offset, ILint origin) {
    return std::fseek(fileOf(file), offset, origin);
}

ILint tell(ILHANDLE file) {
    return static_cast<ILint>(std::ftell(fileOf(file)));
}

} // namespace

#ifdef _WIN32
// Windows has its own hostile names: a device (CON, NUL, COM1, AUX, in any
// folder, with an extension too) or a named pipe opens like a file, and
// reading it can wait for ever. Windows itself resolves such a name to
// \\.\NAME, where pipes live too: nothing there is opened at all, since even
// opening a port can wait. Of the rest, only a file on a disk is let through;
// a folder does not open without FILE_FLAG_BACKUP_SEMANTICS. Shared for
// reading, writing and deleting, as on Linux: a file another program holds
// open (an editor saving it) still opens. Paths are UTF-8, as Assimp gives
// the names of a model's textures.
FILE* openRegularFile(const char* path) {
    constexpr DWORD room = 4 * MAX_PATH;
    wchar_t given[room];
    wchar_t full[room];
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, given, room) == 0) {
        return nullptr;
    }
    const DWORD length = GetFullPathNameW(given, room, full, nullptr);
    if (length == 0 || length >= room || std::wcsncmp(full, L"\\\\.\\", 4) == 0) {
        return nullptr;
    }
    const HANDLE handle =
        CreateFileW(full, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    const int descriptor = GetFileType(handle) == FILE_TYPE_DISK
                               ? _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY)
                               : -1;
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, "rb");
    if (file == nullptr) {
        _close(descriptor);
    }
    return file;
}
#else
FILE* openRegularFile(const char* path) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat status {};
    FILE* file = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)
                     ? fdopen(descriptor, "rb")
                     : nullptr;
    if (file == nullptr) {
        close(descriptor);
    }
    return file;
}
#endif

void readImagesSafely() {
    ilSetRead(openImage, closeFile, atEnd, readByte, readBytes, seek, tell);
}

} // namespace orvane
