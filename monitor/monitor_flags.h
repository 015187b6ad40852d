// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// demo_sensors' option file: five flags and the readings log of section
// "Option", in the file -f names or found along the search path (program
// directory, current directory, PATH).
#ifndef MONITOR_MONITOR_FLAGS_H
#define MONITOR_MONITOR_FLAGS_H

#include <stdint.h>

#include "filesystem.h"

#define MONITOR_OPTION_FILE "demo_sensors.ini"
#define MONITOR_PATH_SIZE PLAT_PATH_SIZE // the found file's path
#define MONITOR_VALUE_SIZE 260           // one option value, cut to this size less one

enum ReadFlagsResult {
    READ_FLAGS_OK = 0,
    READ_FLAGS_NOT_FOUND = 1,     // no file of that name along the search path
    READ_FLAGS_PATH_TOO_LONG = 2, // found, but its path does not fit the buffer
    READ_FLAGS_UNREADABLE = 3,    // the file -f names cannot be read
    READ_FLAGS_TOO_LARGE = 4      // larger than PLAT_INI_FILE_LIMIT: not read
};

// Sets the five flags and g_logFile from the file found along the search
// path; on a non-zero result nothing changed.
int readMonitorFlags(const char *fileName);

// The same from the file at path (relative to the current directory, or
// absolute), without a search.
int readMonitorFlagsFrom(const char *path);

// The low 8 bits of a decimal option value: "256" gives 0, "yes" gives 0.
uint8_t flagFromText(const char *text);

#endif
