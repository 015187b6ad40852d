// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// demo_sgen's command line: -b<LID> (or -b <LID>), -q, and an option-file name.
#ifndef SYNTH_COMMAND_LINE_H
#define SYNTH_COMMAND_LINE_H

#include <stdint.h>

enum CommandLineResult {
    COMMAND_LINE_OK = 0,
    COMMAND_LINE_MISSING_LID = 1,  // -b as the last argument, nothing after it
    COMMAND_LINE_NAME_TOO_LONG = 2 // an option-file name over 259 characters
};

// Sets the chosen LID, the quiet flag and the option-file name. On a refused
// command line prints why on standard error and returns a non-zero result.
int parseCommandLine(int argc, char **argv);

#endif
