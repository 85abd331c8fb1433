// Which files open, on each system.
#include "files/regular_file.h"

#include <fcntl.h>
#ifdef _WIN32
#include <cwchar>
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvane::files {

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
std::FILE* openRegularFile(const char* path) {
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
    std::FILE* file = _fdopen(descriptor, "rb");
    if (file == nullptr) {
        _close(descriptor);
    }
    return file;
}
#else
std::FILE* openRegularFile(const char* path) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat status {};
    std::FILE* file = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)
                          ? fdopen(descriptor, "rb")
                          : nullptr;
    if (file == nullptr) {
        close(descriptor);
    }
    return file;
}
#endif

} // namespace orvane::files
