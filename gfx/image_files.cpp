// DevIL's own reading has two ways to stall on a file a model names: it opens
// a FIFO or a device as readily as a file, and some of its decoders ignore a
// short read and parse the stale buffer again (a PNG chunk whose length runs
// past the end of the file is read for ever). Here only regular files open,
// and every byte past the end reads as 0, which no decoder takes for data
// that goes on. And a PNG that libpng would give up on part way (cut short,
// or a critical chunk failing its checksum) is refused before DevIL reads
// it: DevIL loses its table of rows when libpng gives up in the image data.
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

// Every chunk whole up to IEND, and every critical one (its name starts with
// a capital) with its checksum right. True for a file that is not a PNG.
bool isWholePng(FILE* file) {
    unsigned char header[8];
    if (std::fread(header, 1, 8, file) != 8 || std::memcmp(header, "\x89PNG\r\n\x1a\n", 8) != 0) {
        return true;
    }
    while (std::fread(header, 1, 8, file) == 8) {
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
            left -= static_cast<std::uint32_t>(piece);
        }
        const bool critical = (header[4] & 0x20) == 0;
        if (std::fread(data, 1, 4, file) != 4 || (critical && bigEndian(data) != checksum)) {
            return false;
        }
        if (std::memcmp(header + 4, "IEND", 4) == 0) {
            return true;
        }
    }
    return false;
}

FILE* fileOf(ILHANDLE handle) {
    return static_cast<FILE*>(handle);
}

#ifdef _WIN32
// Windows has its own hostile names: a device (CON, NUL, COM1, AUX, in any
// folder, with an extension too) or a named pipe opens like a file, and
// reading it can wait for ever. Windows itself resolves such a name to
// \\.\NAME, where pipes live too: nothing there is opened at all, since even
// opening a port can wait. Of the rest, only a file on a disk is let through;
// a folder does not open without FILE_FLAG_BACKUP_SEMANTICS. Paths are UTF-8,
// as Assimp gives the names of a model's textures.
FILE* openRegularStream(const char* path) {
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
    const HANDLE handle = CreateFileW(full, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
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
FILE* openRegularStream(const char* path) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0 || fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (descriptor >= 0) {
            close(descriptor);
        }
        return nullptr;
    }
    FILE* file = fdopen(descriptor, "rb");
    if (file == nullptr) {
        close(descriptor);
    }
    return file;
}
#endif

ILHANDLE openRegularFile(ILconst_string path) {
    FILE* file = openRegularStream(path);
    if (file != nullptr && (!isWholePng(file) || std::fseek(file, 0, SEEK_SET) != 0)) {
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

void readImagesSafely() {
    ilSetRead(openRegularFile, closeFile, atEnd, readByte, readBytes, seek, tell);
}

} // namespace orvane
