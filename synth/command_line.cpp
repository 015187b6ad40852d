// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "command_line.h"

#include <stdio.h>
#include <string.h>

#include "lid_text.h"
#include "path_limit.h"
#include "program_values.h"

int parseCommandLine(int argc, char **argv) {
    g_optionFileName[0] = '\0';
    g_quiet = 0;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (argument[0] != '-') {
            const size_t length = strlen(argument);
            if (length >= SGEN_NAME_SIZE) {
                refuseLongPath("demo_sgen", "option file name");
                return COMMAND_LINE_NAME_TOO_LONG;
            }
            memcpy(g_optionFileName, argument, length + 1);
        } else if (argument[1] == 'b' || argument[1] == 'B') {
            const char *value = argument + 2;
            if (*value == '\0') {
                if (i + 1 >= argc) {
                    fprintf(stderr, "demo_sgen: option '%s' needs a board LID after it\n",
                            argument);
                    return COMMAND_LINE_MISSING_LID;
                }
                value = argv[++i]; // consumed whatever it holds
            }
            g_chosenLid = static_cast<int32_t>(convertLid(value));
        } else if (argument[1] == 'q' || argument[1] == 'Q') {
            g_quiet = 1;
        }
    }
    return COMMAND_LINE_OK;
}
