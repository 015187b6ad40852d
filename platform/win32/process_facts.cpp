// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../process_facts.h"

#include <windows.h>

#include <vector>

#include "wide_text.h"

namespace {

std::string utf8(const std::wstring &wide) {
    std::string text;
    return utf8FromWide(wide, &text) ? text : std::string();
}

std::string modulePath(HMODULE module) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < buffer.size()) {
            return utf8(std::wstring(buffer.data(), length));
        }
        if (buffer.size() >= 32768) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Opened for its identity only: no access asked, any sharing allowed, and
// a directory opens too.
HANDLE openForIdentity(const char *path) {
    std::wstring wide;
    if (!wideFromUtf8(path, &wide)) {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

std::string platProgramPath() { return modulePath(nullptr); }

std::string platCommandLine() { return utf8(GetCommandLineW()); }

std::string platWorkingDirectory() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) {
        return std::string();
    }
    std::vector<wchar_t> buffer(size);
    const DWORD length = GetCurrentDirectoryW(size, buffer.data());
    return length > 0 && length < size ? utf8(std::wstring(buffer.data(), length)) : std::string();
}

std::string platSystemName() {
    // GetVersionEx answers what the program's manifest allows; ntdll tells
    // the truth.
    typedef LONG(WINAPI * GetVersion)(OSVERSIONINFOW *);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const GetVersion getVersion = ntdll == nullptr
                                      ? nullptr
                                      : reinterpret_cast<GetVersion>(reinterpret_cast<void (*)()>(
                                            GetProcAddress(ntdll, "RtlGetVersion")));
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (getVersion == nullptr || getVersion(&version) != 0) {
        return "Windows";
    }
    SYSTEM_INFO system;
    GetNativeSystemInfo(&system);
    const char *machine = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64   ? "x64"
                          : system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL ? "x86"
                                                                                          : "other";
    return "Windows " + std::to_string(version.dwMajorVersion) + "." +
           std::to_string(version.dwMinorVersion) + "." + std::to_string(version.dwBuildNumber) +
           " " + machine;
}

bool platFileSizeAndTime(const char *path, uint64_t *size, int64_t *modified) {
    std::wstring wide;
    WIN32_FILE_ATTRIBUTE_DATA facts;
    if (!wideFromUtf8(path, &wide) ||
        !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &facts)) {
        return false;
    }
    *size = (static_cast<uint64_t>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
    const uint64_t ticks = (static_cast<uint64_t>(facts.ftLastWriteTime.dwHighDateTime) << 32) |
                           facts.ftLastWriteTime.dwLowDateTime;
    // 100-nanosecond ticks since 1601.
    *modified = static_cast<int64_t>(ticks / 10000000u) - 11644473600LL;
    return true;
}

bool platSameFile(const char *first, const char *second) {
    HANDLE a = openForIdentity(first);
    if (a == INVALID_HANDLE_VALUE) {
        return false;
    }
    HANDLE b = openForIdentity(second);
    BY_HANDLE_FILE_INFORMATION x;
    BY_HANDLE_FILE_INFORMATION y;
    const bool same = b != INVALID_HANDLE_VALUE && GetFileInformationByHandle(a, &x) &&
                      GetFileInformationByHandle(b, &y) &&
                      x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
                      x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
    CloseHandle(a);
    if (b != INVALID_HANDLE_VALUE) {
        CloseHandle(b);
    }
    return same;
}

bool platLibraryPathOf(const void *address, std::string *path) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module)) {
        return false;
    }
    *path = modulePath(module);
    return !path->empty();
}
