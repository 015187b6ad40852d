// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "configuration_name.h"

bool isPlainFileName(const std::string &name) {
    // Both separators whatever the server's platform, the colon of a drive
    // (or of a Windows file's stream), and a NUL, so that the name the
    // library reads is the whole name looked at here.
    return name.find_first_of(std::string("/\\:\0", 4)) == std::string::npos && name != "." &&
           name != "..";
}
