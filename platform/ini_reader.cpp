// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// What the INI readers share on every platform.
#include "ini_reader.h"

#include <string.h>

#include "ini_copy.h"

uint32_t iniCopyCut(const char *text, size_t length, char *buffer, uint32_t size) {
    const size_t count = length > size - 1 ? size - 1 : length;
    memcpy(buffer, text, count);
    buffer[count] = '\0';
    return static_cast<uint32_t>(count);
}

uint32_t iniCopyDefault(const char *defaultText, char *buffer, uint32_t size) {
    const char *fallback = defaultText ? defaultText : "";
    return iniCopyCut(fallback, strlen(fallback), buffer, size);
}

uint32_t platReadIniString(const char *section, const char *key, const char *defaultText,
                           char *buffer, uint32_t size, const char *path) {
    PlatIniFile *file = platOpenIniFile(path);
    const uint32_t length = platReadIniValue(file, section, key, defaultText, buffer, size);
    platCloseIniFile(file);
    return length;
}
