// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "startup.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "command_line.h"
#include "console.h"
#include "device_sequence.h"
#include "kel_api.h"
#include "monitor_flags.h"
#include "option_file_limit.h"
#include "path_limit.h"
#include "program_values.h"
#include "stop_request.h"
#include "system.h"

namespace {

const int kExitOk = 0;
const int kExitFailed = 1;

// The text is kept as operators know it.
void printUsage() {
    printf("LOG: demo_sensors [option,...]\n");
    printf("LOG: option:\n");
    printf("LOG:    -lid<lid>    - lid устройства, по умолчанию -1\n");
    printf("LOG:    -pu<puid>    - идентификационный номер ПУ, по умолчанию -1\n");
    printf("LOG:    -keldir<dir> - путь к kel.ini, по умолчанию \"\"\n");
    printf("LOG:    -f<file>     - ini-файл\n");
}

// Standard output stays as operators know it; the reason goes to standard
// error so that scripts can tell what failed.
bool readFlags() {
    const char *name = g_optionFile != nullptr ? g_optionFile : MONITOR_OPTION_FILE;
    const int result = g_optionFile != nullptr ? readMonitorFlagsFrom(g_optionFile)
                                               : readMonitorFlags(MONITOR_OPTION_FILE);
    if (result == READ_FLAGS_NOT_FOUND) {
        fprintf(stderr,
                "demo_sensors: can't find option file '%s' in the program directory, the "
                "current directory or PATH\n",
                name);
        return false;
    }
    if (result == READ_FLAGS_UNREADABLE) {
        fprintf(stderr, "demo_sensors: can't read option file '%s'\n", name);
        return false;
    }
    if (result == READ_FLAGS_PATH_TOO_LONG) {
        const std::string subject = std::string("the path of option file '") + name + "'";
        refuseLongPath("demo_sensors", subject.c_str());
        return false;
    }
    if (result == READ_FLAGS_TOO_LARGE) {
        refuseLargeOptionFile("demo_sensors", name);
        return false;
    }
    return true;
}

bool startLibrary() {
    KEL_displayMode(KEL_DISPLAY_MODE_DEFAULT);
    int32_t boardCount = 0;
    if (KEL_init(g_kelConfig, &boardCount) < 0) {
        printf("ERROR: Can't Initialize KEL Shell\n");
        return false;
    }
    return true;
}

} // namespace

bool isHelpRequest(int argc, char **argv) {
    return argc == 2 && argv[1] != nullptr && strstr(argv[1], "-help") != nullptr;
}

void waitForKey(void) {
    printf("Для выхода из программы нажмите любую клавишу . . . \n");
    platGetKey();
}

int runSensors(int argc, char **argv) {
    // The messages are UTF-8 on POSIX, so a system without this locale
    // prints them just the same.
    platSetRussianLocaleAndCodePage();
    platWatchStopRequests();

    int status = kExitFailed;
    if (isHelpRequest(argc, argv)) {
        printUsage();
        status = kExitOk;
    } else if (parseSensorCommandLine(argc, argv) == SENSOR_COMMAND_LINE_OK && readFlags() &&
               startLibrary()) {
        status = runDeviceSequence() == SEQUENCE_MONITORED ? kExitOk : kExitFailed;
    }
    // A run ended on request has given the board back and ends at once.
    if (platStopStatus() == 0) {
        waitForKey();
    }
    return platEndStatus(status);
}
