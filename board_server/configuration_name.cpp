// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "configuration_name.h"

#include <ctype.h>

namespace {

// Windows opens a device for these names, with any extension, in every
// folder: reading the console would hold the library, and every client
// with it, until someone typed at the server.
bool namesWindowsDevice(const std::string &name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.pop_back();
    }
    for (char &letter : stem) {
        letter = static_cast<char>(toupper(static_cast<unsigned char>(letter)));
    }
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
        stem == "CONOUT$") {
        return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           isdigit(static_cast<unsigned char>(stem[3]));
}

} // namespace

bool isPlainFileName(const std::string &name) {
    // Both separators whatever the server's platform, the colon of a drive
    // (or of a Windows file's stream), and a NUL, so that the name the
    // library reads is the whole name looked at here.
    return name.find_first_of(std::string("/\\:\0", 4)) == std::string::npos && name != "." &&
           name != ".." && !namesWindowsDevice(name);
}
