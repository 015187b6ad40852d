// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "monitor_flags.h"

#include <string.h>

#include "decimal_text.h"
#include "filesystem.h"
#include "ini_reader.h"
#include "path_limit.h"
#include "program_values.h"

namespace {

struct FlagKey {
    const char *key;
    uint8_t *flag;
};

// Room for a LogFile value well past the path limit, so that a path too
// long is reported whole rather than cut to a shorter one that would fit.
const uint32_t kLogFileValueSize = 4096;

int readFlagsAt(const char *path) {
    const FlagKey keys[] = {
        {"Temperature", &g_flags.temperature},
        {"VCCint", &g_flags.vccInt},
        {"VCCaux", &g_flags.vccAux},
        {"Vrefp", &g_flags.vrefP},
        {"IsMon", &g_flags.isMon},
    };
    PlatIniFile *file = platOpenIniFile(path);
    if (platIniFileTooLarge(file)) {
        platCloseIniFile(file);
        return READ_FLAGS_TOO_LARGE;
    }
    for (const FlagKey &entry : keys) {
        char value[MONITOR_VALUE_SIZE];
        platReadIniValue(file, "Option", entry.key, "0", value, sizeof value);
        *entry.flag = flagFromText(value);
    }
    std::string logFile(kLogFileValueSize, '\0');
    logFile.resize(platReadIniValue(file, "Option", "LogFile", "", &logFile[0], kLogFileValueSize));
    g_logFile = logFile;
    platCloseIniFile(file);
    return READ_FLAGS_OK;
}

} // namespace

uint8_t flagFromText(const char *text) {
    return static_cast<uint8_t>(static_cast<uint32_t>(decimalToInt32(text)) & 0xFFu);
}

int readMonitorFlags(const char *fileName) {
    char path[MONITOR_PATH_SIZE];
    const uint32_t length = platSearchPath(fileName, path, sizeof path);
    if (length == 0) {
        return READ_FLAGS_NOT_FOUND;
    }
    // A longer path comes back as the size it needs, with the buffer unset.
    if (length >= sizeof path) {
        return READ_FLAGS_PATH_TOO_LONG;
    }
    return readFlagsAt(path);
}

int readMonitorFlagsFrom(const char *path) {
    if (!pathFits(strlen(path))) {
        return READ_FLAGS_PATH_TOO_LONG;
    }
    if (!platCanOpenForReading(path)) {
        return READ_FLAGS_UNREADABLE;
    }
    return readFlagsAt(path);
}
