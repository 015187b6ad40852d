// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A file replaced whole: for a file that another program reads at any
// moment (a monitoring agent's textfile collector), which must find the old
// contents or the new, never half of them.
#ifndef PLATFORM_REPLACE_FILE_H
#define PLATFORM_REPLACE_FILE_H

#include <string>

// The temporary file's name beside path: path, the process number and
// ".tmp". It never ends in the name's own extension, so a collector that
// reads only "*.prom" never reads it half written.
std::string platReplacementName(const char *path);

// Writes contents to the temporary file beside path, then renames it over
// path (rename(2); MoveFileExW with MOVEFILE_REPLACE_EXISTING on Windows).
// False when any step fails, with errno saying why; path is then as it
// was, and no temporary file is left behind.
bool platReplaceFile(const char *path, const std::string &contents);

#endif
