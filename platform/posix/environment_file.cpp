// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../environment_file.h"

#include <stdlib.h>

bool platEnvironmentPath(const char *name, std::string *path) {
    const char *value = getenv(name);
    if (value == nullptr || *value == '\0') {
        return false;
    }
    *path = value;
    return true;
}

FILE *platOpenFile(const char *path, const char *mode) { return fopen(path, mode); }
