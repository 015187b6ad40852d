// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The configuration file a client's KEL_init names is read by the library
// in the server's working directory: a client may name a file there and
// nowhere else, or it could read (or learn whether there is) any file the
// server's user may read.
#ifndef BOARD_SERVER_CONFIGURATION_NAME_H
#define BOARD_SERVER_CONFIGURATION_NAME_H

#include <string>

// True for a plain file name: no separator of either platform, no drive,
// neither `.` nor `..`, nor a name Windows keeps for a device (CON, NUL,
// COM1...). An empty name names no file and is the library's to judge.
bool isPlainFileName(const std::string &name);

#endif
