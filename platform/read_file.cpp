// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Reading a whole file, the same on every platform once it is open.
#include <errno.h>
#include <string.h>

#include "environment_file.h"

bool platReadStream(FILE *file, std::string *text, std::string *problem, size_t limit) {
    char chunk[65536];
    size_t got = 0;
    size_t taken = 0;
    while (taken <= limit && (got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        text->append(chunk, got);
        taken += got;
    }
    const bool complete = ferror(file) == 0 && taken <= limit;
    // A directory opens on POSIX; reading it fails with EISDIR.
    if (!complete && problem != nullptr) {
        *problem =
            taken > limit ? "larger than " + std::to_string(limit) + " bytes" : strerror(errno);
    }
    return complete;
}

bool platReadFile(const char *path, std::string *text, std::string *problem, size_t limit) {
    errno = 0;
    FILE *file = platOpenFile(path, "rb");
    if (file == nullptr) {
        if (problem != nullptr) {
            *problem = strerror(errno);
        }
        return false;
    }
    const bool complete = platReadStream(file, text, problem, limit);
    fclose(file);
    return complete;
}
