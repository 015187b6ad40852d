#include "../filesystem.h"

#include <windows.h>

// The Windows calls already follow the size convention of filesystem.h: the
// length on success, the size needed (NUL included) when it does not fit.

uint32_t platCurrentDirectory(char *buffer, uint32_t size) {
    if (buffer == nullptr) {
        size = 0;
    }
    return GetCurrentDirectoryA(size, buffer);
}

bool platCanOpenForReading(const char *path) {
    if (path == nullptr || *path == '\0') {
        return false;
    }
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open.
    const HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

uint32_t platSearchPath(const char *fileName, char *buffer, uint32_t size) {
    if (fileName == nullptr || *fileName == '\0') {
        return 0;
    }
    if (buffer == nullptr) {
        size = 0;
    }
    return SearchPathA(nullptr, fileName, nullptr, size, buffer, nullptr);
}
