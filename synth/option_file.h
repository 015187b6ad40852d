// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// demo_sgen's option file: twelve keys of section "Option".
#ifndef SYNTH_OPTION_FILE_H
#define SYNTH_OPTION_FILE_H

#include <stdint.h>

#define SGEN_DEFAULT_OPTION_FILE "//demo_sgen.ini"

enum OptionValueType { OPTION_INT = 0, OPTION_FLOAT = 1, OPTION_DOUBLE = 2, OPTION_INT_ALT = 3 };

struct OptionEntry {
    char section[16];
    int32_t type; // OptionValueType
    void *variable;
    char key[20];
};

enum LoadOptionsResult {
    LOAD_OPTIONS_OK = 0,
    LOAD_OPTIONS_NOT_FOUND = -1,     // no readable file at the built path
    LOAD_OPTIONS_PATH_TOO_LONG = -2, // directory and name do not fit the path buffer
    LOAD_OPTIONS_TOO_LARGE = -3,     // larger than PLAT_INI_FILE_LIMIT: not read
    LOAD_OPTIONS_NO_DIRECTORY = -4   // the current directory is gone or cannot be read
};

// Builds the path (current directory immediately followed by the name),
// then reads every option of the table. No option changes unless the file
// can be opened and is not too large.
int32_t loadOptions(const char *fileName);

// The line on standard error that follows the missing-file message: the
// path that was looked for and, when the name brings no separator, the
// rule that joined it to the current directory.
void explainMissingOptionFile(const char *fileName);

// Converts one value text by an option type and stores it in the variable;
// an unknown type leaves the variable as it is.
void storeOptionValue(int32_t type, const char *text, void *variable);

#endif
