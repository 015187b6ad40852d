#include "../ini_reader.h"

#include <stdio.h>
#include <sys/stat.h>

#include <string>

#include "ini_parse.h"

namespace {

// Reads a whole regular file; false when it cannot be opened or read.
bool readWholeFile(const char *path, std::string *content) {
    struct stat info;
    if (path == nullptr || stat(path, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    FILE *file = fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    char chunk[65536];
    size_t got = 0;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        content->append(chunk, got);
    }
    const bool ok = ferror(file) == 0;
    fclose(file);
    return ok;
}

} // namespace

uint32_t platReadIniString(const char *section, const char *key, const char *defaultText,
                           char *buffer, uint32_t size, const char *path) {
    std::string content;
    if (!readWholeFile(path, &content)) {
        return iniLookupText(nullptr, 0, section, key, defaultText, buffer, size);
    }
    return iniLookupText(content.data(), content.size(), section, key, defaultText, buffer, size);
}
