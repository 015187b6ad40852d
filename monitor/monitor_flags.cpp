#include "monitor_flags.h"

#include "decimal_text.h"
#include "filesystem.h"
#include "ini_reader.h"
#include "program_values.h"

namespace {

struct FlagKey {
    const char *key;
    uint8_t *flag;
};

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
    platCloseIniFile(file);
    return READ_FLAGS_OK;
}
