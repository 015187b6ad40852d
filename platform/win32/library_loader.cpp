// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../library_loader.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include <string>

#include "wide_text.h"

namespace {

void describeError(DWORD error, char *reason, size_t reasonSize) {
    char text[512] = "";
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, text, sizeof text, nullptr) == 0) {
        text[0] = '\0';
    }
    size_t length = strlen(text);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                          text[length - 1] == ' ' || text[length - 1] == '.')) {
        text[--length] = '\0';
    }
    snprintf(reason, reasonSize, "%s (error %lu)", text, static_cast<unsigned long>(error));
}

} // namespace

void *platLoadLibrary(const char *path, char *reason, size_t reasonSize) {
    std::wstring wide;
    if (!wideFromUtf8(path, &wide)) {
        snprintf(reason, reasonSize, "the path cannot be converted");
        return nullptr;
    }
    // By its full path, so that the library's own DLLs are looked for in its
    // directory, and so that a name alone never finds the caller's KEL.dll.
    wchar_t full[32768];
    const DWORD length = GetFullPathNameW(wide.c_str(), 32768, full, nullptr);
    if (length == 0 || length >= 32768) {
        describeError(GetLastError(), reason, reasonSize);
        return nullptr;
    }
    HMODULE library = LoadLibraryExW(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr) {
        describeError(GetLastError(), reason, reasonSize);
    }
    return reinterpret_cast<void *>(library);
}

void *platLibraryFunction(void *library, const char *name) {
    const FARPROC function = GetProcAddress(static_cast<HMODULE>(library), name);
    return reinterpret_cast<void *>(reinterpret_cast<uintptr_t>(function));
}
