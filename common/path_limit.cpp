// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "path_limit.h"

#include <stdio.h>

void refuseLongPath(const char *program, const char *subject) {
    fprintf(stderr, "%s: %s is longer than %d characters\n", program, subject, PATH_LIMIT);
}

void refuseLongJoinedPath(const char *program, const char *parts) {
    fprintf(stderr, "%s: %s make a path longer than %d characters\n", program, parts, PATH_LIMIT);
}
