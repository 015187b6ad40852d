#include "../ini_reader.h"

#include <stdio.h>
#include <sys/stat.h>

#include <new>
#include <string>

#include "../environment_file.h"
#include "ini_parse.h"

struct PlatIniFile {
    bool readable;
    std::string content;
};

namespace {

// Reads a whole regular file; false when it cannot be opened or read.
bool readWholeFile(const char *path, std::string *content) {
    struct stat info;
    if (path == nullptr || stat(path, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    return platReadFile(path, content);
}

} // namespace

PlatIniFile *platOpenIniFile(const char *path) {
    PlatIniFile *file = new (std::nothrow) PlatIniFile();
    if (file != nullptr) {
        file->readable = readWholeFile(path, &file->content);
    }
    return file;
}

uint32_t platReadIniValue(const PlatIniFile *file, const char *section, const char *key,
                          const char *defaultText, char *buffer, uint32_t size) {
    if (file == nullptr || !file->readable) {
        return iniLookupText(nullptr, 0, section, key, defaultText, buffer, size);
    }
    return iniLookupText(file->content.data(), file->content.size(), section, key, defaultText,
                         buffer, size);
}

void platCloseIniFile(PlatIniFile *file) { delete file; }
