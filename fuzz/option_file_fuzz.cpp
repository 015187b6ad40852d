// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Feeds arbitrary file contents to the INI lookup with every option key of
// demo_sgen, then converts each value as the option file does.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

#include "../platform/posix/ini_parse.h"
#include "../synth/option_file.h"
#include "decimal_text.h"

namespace {

const struct {
    const char *key;
    int32_t type;
} kKeys[] = {
    {"RefClockSource", OPTION_INT}, {"RefClockValue", OPTION_DOUBLE}, {"OutputFreq", OPTION_DOUBLE},
    {"LengthStb", OPTION_INT},      {"StartStb", OPTION_INT},         {"Temperature", OPTION_INT},
    {"Single", OPTION_FLOAT},       {"Other", OPTION_INT_ALT},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const char *text = reinterpret_cast<const char *>(data);
    for (const auto &entry : kKeys) {
        for (uint32_t bufferSize : {1u, 2u, 128u, 260u}) {
            char value[260];
            memset(value, 'Z', sizeof value);
            const uint32_t length =
                iniLookupText(text, size, "Option", entry.key, "0", value, bufferSize);
            if (length >= bufferSize || value[length] != '\0' || strlen(value) != length) {
                abort(); // the value must be cut to the buffer less one and terminated
            }
            union {
                int32_t integer;
                float single;
                double real;
            } variable;
            storeOptionValue(entry.type, value, &variable);
        }
    }
    return 0;
}
