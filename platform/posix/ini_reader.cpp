// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../ini_reader.h"

#include <stdio.h>
#include <sys/stat.h>

#include <new>
#include <string>

#include "../environment_file.h"
#include "ini_parse.h"

struct PlatIniFile {
    bool readable;
    bool tooLarge;
    std::string content;
};

namespace {

// Reads a whole regular file of at most PLAT_INI_FILE_LIMIT bytes; a
// larger one (also one that grows past the limit while it is read) is left
// unread.
void readWholeFile(const char *path, PlatIniFile *file) {
    struct stat info;
    if (path == nullptr || stat(path, &info) != 0 || !S_ISREG(info.st_mode)) {
        return;
    }
    if (static_cast<unsigned long long>(info.st_size) > PLAT_INI_FILE_LIMIT) {
        file->tooLarge = true;
        return;
    }
    file->content.reserve(static_cast<size_t>(info.st_size));
    file->readable = platReadFile(path, &file->content, nullptr, PLAT_INI_FILE_LIMIT);
    if (!file->readable) {
        file->tooLarge = file->content.size() > PLAT_INI_FILE_LIMIT;
        std::string().swap(file->content);
    }
}

} // namespace

PlatIniFile *platOpenIniFile(const char *path) {
    PlatIniFile *file = new (std::nothrow) PlatIniFile();
    if (file != nullptr) {
        readWholeFile(path, file);
    }
    return file;
}

bool platIniFileTooLarge(const PlatIniFile *file) { return file != nullptr && file->tooLarge; }

uint32_t platReadIniValue(const PlatIniFile *file, const char *section, const char *key,
                          const char *defaultText, char *buffer, uint32_t size) {
    if (file == nullptr || !file->readable) {
        return iniLookupText(nullptr, 0, section, key, defaultText, buffer, size);
    }
    return iniLookupText(file->content.data(), file->content.size(), section, key, defaultText,
                         buffer, size);
}

void platCloseIniFile(PlatIniFile *file) { delete file; }
