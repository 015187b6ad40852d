// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// demo_sensors' command line: the options its usage text lists, each one
// argument with its value attached: -lid<lid>, -pu<puid>, -keldir<dir> and
// -f<file>. Any other argument is ignored, as it always was.
#ifndef MONITOR_COMMAND_LINE_H
#define MONITOR_COMMAND_LINE_H

enum SensorCommandLineResult {
    SENSOR_COMMAND_LINE_OK = 0,
    SENSOR_COMMAND_LINE_NO_VALUE = 1,     // -lid, -pu or -f with nothing attached
    SENSOR_COMMAND_LINE_PATH_TOO_LONG = 2 // -keldir and kel.ini past the path limit
};

// Sets g_wantedLid, g_wantedUnit, g_kelConfig and g_optionFile; the last of
// an option given twice wins. On a refused command line prints why (an
// ERROR: line on standard output, or the path refusal on standard error)
// and returns a non-zero result.
int parseSensorCommandLine(int argc, char **argv);

#endif
