// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../ini_reader.h"

#include <windows.h>

#include <new>
#include <string>

#include "../filesystem.h"
#include "../ini_copy.h"

// The system's profile reader keeps the file itself; a handle holds the
// full path it is asked with.
struct PlatIniFile {
    bool usable;
    bool tooLarge;
    std::string fullPath;
};

namespace {

// The profile reader takes a file whole into memory: one past the limit is
// never handed to it. The size is that of the moment the file is opened.
bool largerThanLimit(const std::string &fullPath) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(fullPath.c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    const unsigned long long size =
        (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return size > PLAT_INI_FILE_LIMIT;
}

} // namespace

PlatIniFile *platOpenIniFile(const char *path) {
    PlatIniFile *file = new (std::nothrow) PlatIniFile();
    if (file != nullptr) {
        // The profile reader looks for a name without a full path in the
        // Windows directory, not in the current one.
        file->usable = path != nullptr && *path != '\0' && platFullPath(path, &file->fullPath);
        file->tooLarge = file->usable && largerThanLimit(file->fullPath);
        file->usable = file->usable && !file->tooLarge;
    }
    return file;
}

bool platIniFileTooLarge(const PlatIniFile *file) { return file != nullptr && file->tooLarge; }

uint32_t platReadIniValue(const PlatIniFile *file, const char *section, const char *key,
                          const char *defaultText, char *buffer, uint32_t size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    // A null section or key would make the profile reader list names
    // instead of reading one value.
    if (file == nullptr || !file->usable || section == nullptr || key == nullptr || *key == '\0') {
        return iniCopyDefault(defaultText, buffer, size);
    }
    return GetPrivateProfileStringA(section, key, defaultText ? defaultText : "", buffer, size,
                                    file->fullPath.c_str());
}

void platCloseIniFile(PlatIniFile *file) { delete file; }
