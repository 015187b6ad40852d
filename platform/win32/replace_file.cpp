// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../replace_file.h"

#include <errno.h>
#include <windows.h>

#include "wide_text.h"

namespace {

int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    default:
        return EIO;
    }
}

bool writeAll(HANDLE file, const std::string &contents) {
    size_t written = 0;
    while (written < contents.size()) {
        const DWORD chunk = static_cast<DWORD>(
            contents.size() - written > 0x40000000u ? 0x40000000u : contents.size() - written);
        DWORD count = 0;
        if (!WriteFile(file, contents.data() + written, chunk, &count, nullptr) || count == 0) {
            return false;
        }
        written += count;
    }
    return true;
}

} // namespace

bool platReplaceFile(const char *path, const std::string &contents) {
    std::wstring target;
    std::wstring temporary;
    if (path == nullptr || *path == '\0' || !wideFromAnsi(path, &target) ||
        !wideFromAnsi(platReplacementName(path).c_str(), &temporary)) {
        errno = ENOENT;
        return false;
    }
    // Others may read or delete it while it is written; it is renamed only
    // once whole.
    const HANDLE file =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        errno = errnoOf(GetLastError());
        return false;
    }
    bool written = writeAll(file, contents);
    DWORD error = written ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (written && MoveFileExW(temporary.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    if (written) {
        error = GetLastError();
    }
    DeleteFileW(temporary.c_str());
    errno = errnoOf(error);
    return false;
}
