// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../environment_file.h"

#include <windows.h>

#include "wide_text.h"

bool platEnvironmentPath(const char *name, std::string *path) {
    std::wstring wideName;
    if (!wideFromAnsi(name, &wideName)) {
        return false;
    }
    // The size with the terminating NUL: 0 when unset, 1 when empty.
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size <= 1) {
        return false;
    }
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), &value[0], size);
    if (length == 0 || length >= size) {
        return false;
    }
    value.resize(length);
    return utf8FromWide(value, path);
}

FILE *platOpenFile(const char *path, const char *mode) {
    std::wstring widePath;
    std::wstring wideMode;
    if (!wideFromUtf8(path, &widePath) || !wideFromUtf8(mode, &wideMode)) {
        return nullptr;
    }
    return _wfopen(widePath.c_str(), wideMode.c_str());
}
