// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "option_file_limit.h"

#include <stdio.h>

#include "ini_reader.h"

void refuseLargeOptionFile(const char *program, const char *name) {
    fprintf(stderr, "%s: option file '%s' is larger than %lu bytes: it is not read\n", program,
            name, PLAT_INI_FILE_LIMIT);
}
