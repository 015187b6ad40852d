#include "command_line.h"

#include <stdio.h>
#include <string.h>

#include "decimal_text.h"
#include "program_values.h"

namespace {

int digitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    return 99;
}

bool isHexPrefix(const char *p) {
    return p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digitValue(p[2]) < 16;
}

} // namespace

uint32_t convertLid(const char *text) {
    bool negative = false;
    const char *p = skipBlanksAndSign(text, &negative);
    int base = 10;
    if (isHexPrefix(p)) {
        base = 16;
        p += 2;
    } else if (*p == '0') {
        base = 8;
    }
    uint64_t value = 0;
    bool overflow = false;
    for (; digitValue(*p) < base; ++p) {
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digitValue(*p));
        if (value > 0xFFFFFFFFull) {
            overflow = true;
            value = 0xFFFFFFFFull;
        }
    }
    if (overflow) {
        return 0xFFFFFFFFu; // all ones, with or without a sign
    }
    const uint32_t magnitude = static_cast<uint32_t>(value);
    return negative ? 0u - magnitude : magnitude;
}

int parseCommandLine(int argc, char **argv) {
    g_optionFileName[0] = '\0';
    g_quiet = 0;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (argument[0] != '-') {
            const size_t length = strlen(argument);
            if (length >= SGEN_NAME_SIZE) {
                fprintf(stderr, "demo_sgen: option file name is longer than %d characters\n",
                        SGEN_NAME_SIZE - 1);
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
