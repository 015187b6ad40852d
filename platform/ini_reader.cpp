// The one-value lookup, the same on every platform.
#include "ini_reader.h"

uint32_t platReadIniString(const char *section, const char *key, const char *defaultText,
                           char *buffer, uint32_t size, const char *path) {
    PlatIniFile *file = platOpenIniFile(path);
    const uint32_t length = platReadIniValue(file, section, key, defaultText, buffer, size);
    platCloseIniFile(file);
    return length;
}
