// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "replace_file.h"

#include "filesystem.h"

std::string platReplacementName(const char *path) {
    // The process number keeps two writers of one file (two servers started
    // by mistake) from writing into each other's temporary file.
    return std::string(path) + "." + std::to_string(platProcessNumber()) + ".tmp";
}
