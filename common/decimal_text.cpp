// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "decimal_text.h"

#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

const char *skipDigits(const char *p) {
    while (isDigit(*p)) {
        ++p;
    }
    return p;
}

bool isCBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

const char *skipBlanksAndSign(const char *text, bool *negative) {
    const char *p = text;
    while (isCBlank(*p)) {
        ++p;
    }
    *negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    return p;
}

int32_t decimalToInt32(const char *text) {
    bool negative = false;
    const char *p = skipBlanksAndSign(text, &negative);
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t value = 0;
    for (; isDigit(*p); ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit) {
            value = limit;
        }
    }
    return static_cast<int32_t>(negative ? -value : value);
}

double decimalToDouble(const char *text) {
    // Only the decimal form is taken (no hexadecimal, infinity or NaN words,
    // which some C libraries accept and others do not): the numeric prefix
    // is cut out first, then converted.
    bool negative = false;
    const char *p = skipBlanksAndSign(text, &negative);
    const char *integerEnd = skipDigits(p);
    const char *end = integerEnd;
    bool anyDigit = integerEnd != p;
    if (*end == '.') {
        const char *fractionEnd = skipDigits(end + 1);
        anyDigit = anyDigit || fractionEnd != end + 1;
        end = fractionEnd;
    }
    if (!anyDigit) {
        return 0.0;
    }
    if (*end == 'e' || *end == 'E') {
        const char *exponent = end + 1;
        if (*exponent == '-' || *exponent == '+') {
            ++exponent;
        }
        const char *exponentEnd = skipDigits(exponent);
        if (exponentEnd != exponent) {
            end = exponentEnd;
        }
    }
    const std::string number =
        std::string(negative ? "-" : "") + std::string(p, static_cast<size_t>(end - p));
    return strtod(number.c_str(), nullptr);
}
