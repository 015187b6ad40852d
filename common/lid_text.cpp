// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "lid_text.h"

#include "decimal_text.h"

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
