// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../filesystem.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>

#include "wide_text.h"

// The Windows calls already follow the size convention of filesystem.h: the
// length on success, the size needed (NUL included) when it does not fit.

namespace {

// A C stream over an open file handle, which it then owns; null (the handle
// closed) when the runtime cannot make one.
FILE *streamOf(HANDLE handle, int flags, const char *mode) {
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    FILE *file = _fdopen(descriptor, mode);
    if (file == nullptr) {
        _close(descriptor); // closes the handle too
    }
    return file;
}

} // namespace

bool platIsPathSeparator(char c) { return c == '\\' || c == '/'; }

char platPathSeparator(void) { return '\\'; }

bool platIsSpecialFile(const char *path) {
    if (path == nullptr || *path == '\0') {
        return false;
    }
    // No access asked, so nothing is read or written; the type is the
    // handle's.
    const HANDLE handle =
        CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool special = GetFileType(handle) != FILE_TYPE_DISK;
    CloseHandle(handle);
    return special;
}

FILE *platOpenNewFile(const char *path) {
    if (path == nullptr || *path == '\0') {
        errno = ENOENT;
        return nullptr;
    }
    // CREATE_NEW fails when anything of that name is there.
    const HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        errno = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? EEXIST
                : error == ERROR_ACCESS_DENIED                              ? EACCES
                                                                            : ENOENT;
        return nullptr;
    }
    return streamOf(handle, 0, "wb");
}

FILE *platOpenAppendFile(const char *path) {
    if (path == nullptr || *path == '\0') {
        return nullptr;
    }
    // Readers may open the file while it grows (FILE_SHARE_READ); a pipe,
    // console or device is refused as no log.
    const HANDLE handle =
        CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return nullptr;
    }
    return streamOf(handle, _O_APPEND, "ab");
}

uint32_t platCurrentDirectory(char *buffer, uint32_t size) {
    if (buffer == nullptr) {
        size = 0;
    }
    return GetCurrentDirectoryA(size, buffer);
}

bool platFullPath(const char *path, std::string *full) {
    const DWORD needed = *path == '\0' ? 0 : GetFullPathNameA(path, 0, nullptr, nullptr);
    if (needed == 0) {
        return false;
    }
    std::string text(needed, '\0');
    const DWORD length = GetFullPathNameA(path, needed, &text[0], nullptr);
    if (length == 0 || length >= needed) {
        return false;
    }
    text.resize(length);
    *full = text;
    return true;
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
    // Through the wide call: the narrow one may give up on a path longer
    // than MAX_PATH (Wine's does) instead of returning the size it needs.
    std::wstring name;
    if (!wideFromAnsi(fileName, &name)) {
        return 0;
    }
    const DWORD needed = SearchPathW(nullptr, name.c_str(), nullptr, 0, nullptr, nullptr);
    if (needed == 0) {
        return 0;
    }
    std::wstring found(needed, L'\0');
    const DWORD length = SearchPathW(nullptr, name.c_str(), nullptr, needed, &found[0], nullptr);
    if (length == 0 || length >= needed) {
        return 0; // the file went away or moved between the two searches
    }
    const int bytes = WideCharToMultiByte(CP_ACP, 0, found.c_str(), static_cast<int>(length),
                                          nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return 0;
    }
    const uint32_t narrowLength = static_cast<uint32_t>(bytes);
    if (buffer == nullptr || narrowLength + 1 > size) {
        return narrowLength + 1;
    }
    WideCharToMultiByte(CP_ACP, 0, found.c_str(), static_cast<int>(length), buffer, bytes, nullptr,
                        nullptr);
    buffer[narrowLength] = '\0';
    return narrowLength;
}

unsigned long platProcessNumber(void) { return GetCurrentProcessId(); }
