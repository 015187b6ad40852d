// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "option_file.h"

#include <stdio.h>
#include <string.h>

#include "decimal_text.h"
#include "filesystem.h"
#include "ini_reader.h"
#include "program_values.h"

namespace {

#define OPTION_ROW(key, type, variable)                                                            \
    { "Option", type, &g_options.variable, key }

OptionEntry g_optionTable[] = {
    OPTION_ROW("RefClockSource", OPTION_INT, refClockSource),
    OPTION_ROW("RefClockValue", OPTION_DOUBLE, refClockValue),
    OPTION_ROW("OutputFreq", OPTION_DOUBLE, outputFreq),
    OPTION_ROW("LengthStb", OPTION_INT, lengthStb),
    OPTION_ROW("PolarityStb", OPTION_INT, polarityStb),
    OPTION_ROW("DelayStb", OPTION_INT, delayStb),
    OPTION_ROW("PeriodStb", OPTION_INT, periodStb),
    OPTION_ROW("NumberStb", OPTION_INT, numberStb),
    OPTION_ROW("ContStb", OPTION_INT, contStb),
    OPTION_ROW("StartStb", OPTION_INT, startStb),
    OPTION_ROW("StartSource", OPTION_INT, startSource),
    OPTION_ROW("StartInverse", OPTION_INT, startInverse),
};

#undef OPTION_ROW

const uint32_t kValueBufferSize = 128;

// The current directory immediately followed by the name, no separator
// added: the name brings its own. LOAD_OPTIONS_OK or why there is no path.
int32_t joinToCurrentDirectory(const char *fileName, char (&path)[SGEN_NAME_SIZE]) {
    const uint32_t directoryLength = platCurrentDirectory(path, sizeof path);
    const size_t nameLength = strlen(fileName);
    if (directoryLength == 0) {
        return LOAD_OPTIONS_NO_DIRECTORY;
    }
    if (directoryLength >= sizeof path || directoryLength + nameLength >= sizeof path) {
        return LOAD_OPTIONS_PATH_TOO_LONG;
    }
    memcpy(path + directoryLength, fileName, nameLength + 1);
    return LOAD_OPTIONS_OK;
}

} // namespace

void storeOptionValue(int32_t type, const char *text, void *variable) {
    switch (type) {
    case OPTION_INT:
    case OPTION_INT_ALT:
        *static_cast<int32_t *>(variable) = decimalToInt32(text);
        break;
    case OPTION_FLOAT:
        *static_cast<float *>(variable) = static_cast<float>(decimalToDouble(text));
        break;
    case OPTION_DOUBLE:
        *static_cast<double *>(variable) = decimalToDouble(text);
        break;
    default:
        break;
    }
}

int32_t loadOptions(const char *fileName) {
    char path[SGEN_NAME_SIZE];
    const int32_t joined = joinToCurrentDirectory(fileName, path);
    if (joined != LOAD_OPTIONS_OK) {
        return joined;
    }
    if (!platCanOpenForReading(path)) {
        return LOAD_OPTIONS_NOT_FOUND;
    }
    PlatIniFile *file = platOpenIniFile(path);
    if (platIniFileTooLarge(file)) {
        platCloseIniFile(file);
        return LOAD_OPTIONS_TOO_LARGE;
    }
    for (OptionEntry &row : g_optionTable) {
        char value[kValueBufferSize];
        platReadIniValue(file, row.section, row.key, "0", value, sizeof value);
        storeOptionValue(row.type, value, row.variable);
    }
    platCloseIniFile(file);
    return LOAD_OPTIONS_OK;
}

void explainMissingOptionFile(const char *fileName) {
    char path[SGEN_NAME_SIZE];
    if (joinToCurrentDirectory(fileName, path) != LOAD_OPTIONS_OK) {
        return; // those problems have lines of their own
    }
    const size_t directoryLength = strlen(path) - strlen(fileName);
    // "my.ini" in /work is /workmy.ini; a directory that ends in a separator
    // (the root) joins well without one, and there is no rule to name.
    const bool separatorMissing =
        !platIsPathSeparator(fileName[0]) &&
        (directoryLength == 0 || !platIsPathSeparator(path[directoryLength - 1]));
    if (!separatorMissing) {
        fprintf(stderr, "demo_sgen: no readable option file at '%s'\n", path);
        return;
    }
    // '/' is the separator of the default name too, and Windows takes it.
    fprintf(stderr,
            "demo_sgen: no readable option file at '%s': the name is joined to the current "
            "directory without a separator, so '/%s' was probably meant\n",
            path, fileName);
}
