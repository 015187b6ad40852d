// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The one-line refusal of an option file past the size that is read
// (PLAT_INI_FILE_LIMIT), worded alike in both programs.
#ifndef COMMON_OPTION_FILE_LIMIT_H
#define COMMON_OPTION_FILE_LIMIT_H

// "<program>: option file '<name>' is larger than 16777216 bytes: it is not
// read", on standard error.
void refuseLargeOptionFile(const char *program, const char *name);

#endif
