// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The longest path either program handles, and the one-line refusal of a
// longer one on standard error, worded alike in both programs.
#ifndef COMMON_PATH_LIMIT_H
#define COMMON_PATH_LIMIT_H

#include <stddef.h>

#include "filesystem.h"

// Characters a path may have: the path buffers' size less the NUL.
#define PATH_LIMIT (PLAT_PATH_SIZE - 1)

inline bool pathFits(size_t length) { return length <= PATH_LIMIT; }

// "<program>: <subject> is longer than 259 characters"
void refuseLongPath(const char *program, const char *subject);

// "<program>: <parts> make a path longer than 259 characters", for a path
// joined from parts the operator chose.
void refuseLongJoinedPath(const char *program, const char *parts);

#endif
