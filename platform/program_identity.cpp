// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <string>

#include "filesystem.h"
#include "process_facts.h"

namespace {

size_t lastSeparator(const std::string &path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (platIsPathSeparator(path[i - 1])) {
            return i - 1;
        }
    }
    return std::string::npos;
}

} // namespace

std::string platProgramDirectory() {
    const std::string path = platProgramPath();
    const size_t separator = lastSeparator(path);
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string platProgramLabel() {
    const std::string path = platProgramPath();
    const size_t separator = lastSeparator(path);
    const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    return name + "[" + std::to_string(platProcessNumber()) + "]";
}
