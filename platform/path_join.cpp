// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Joining paths, the same on every platform once the separators are known.
#include "filesystem.h"

std::string platJoinPath(const std::string &directory, const char *fileName) {
    if (directory.empty()) {
        return fileName;
    }
    if (platIsPathSeparator(directory.back())) {
        return directory + fileName;
    }
    return directory + platPathSeparator() + fileName;
}
