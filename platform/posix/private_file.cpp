// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../private_file.h"

#include <sys/stat.h>

bool platFileOpenToOthers(const char *path) {
    struct stat facts;
    return stat(path, &facts) == 0 &&
           (facts.st_mode & (S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH)) != 0;
}
