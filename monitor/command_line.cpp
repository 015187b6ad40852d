// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "command_line.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "kel_api.h"
#include "lid_text.h"
#include "path_limit.h"
#include "program_values.h"

namespace {

// The value after an option's name, or null when the argument is not that
// option.
const char *optionValue(const char *argument, const char *name) {
    const size_t length = strlen(name);
    return strncmp(argument, name, length) == 0 ? argument + length : nullptr;
}

void printValueNotAttached(const char *name, const char *usage) {
    printf("ERROR: Option %s needs its value attached: %s\n", name, usage);
}

// A LID or unit id; "-1" (all ones) keeps the first one listed.
bool readNumber(const char *name, const char *value, const char *usage, int32_t *number) {
    if (*value == '\0') {
        printValueNotAttached(name, usage);
        return false;
    }
    *number = static_cast<int32_t>(convertLid(value));
    return true;
}

bool setConfigDirectory(const char *directory) {
    const std::string path = platJoinPath(directory, KEL_CONFIG_FILE);
    if (!pathFits(path.size())) {
        const std::string parts =
            std::string("the directory '") + directory + "' and " + KEL_CONFIG_FILE;
        refuseLongJoinedPath("demo_sensors", parts.c_str());
        return false;
    }
    memcpy(g_kelConfig, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

int parseSensorCommandLine(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        const char *value = nullptr;
        if ((value = optionValue(argument, "-lid")) != nullptr) {
            if (!readNumber("-lid", value, "-lid<lid>", &g_wantedLid)) {
                return SENSOR_COMMAND_LINE_NO_VALUE;
            }
        } else if ((value = optionValue(argument, "-pu")) != nullptr) {
            if (!readNumber("-pu", value, "-pu<puid>", &g_wantedUnit)) {
                return SENSOR_COMMAND_LINE_NO_VALUE;
            }
        } else if ((value = optionValue(argument, "-keldir")) != nullptr) {
            if (!setConfigDirectory(value)) {
                return SENSOR_COMMAND_LINE_PATH_TOO_LONG;
            }
        } else if ((value = optionValue(argument, "-f")) != nullptr) {
            // "-f t.ini" would otherwise name the option file '' and leave
            // the operator guessing.
            if (*value == '\0') {
                printValueNotAttached("-f", "-f<file>");
                return SENSOR_COMMAND_LINE_NO_VALUE;
            }
            g_optionFile = value; // read, or refused, with the option file
        }
    }
    return SENSOR_COMMAND_LINE_OK;
}
