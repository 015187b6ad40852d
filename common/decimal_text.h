// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Number conversions of option-file values, the same on every platform.
#ifndef COMMON_DECIMAL_TEXT_H
#define COMMON_DECIMAL_TEXT_H

#include <stdint.h>

// Skips leading white space (as C's number conversions do in the "C"
// locale) and one sign; returns where the digits start.
const char *skipBlanksAndSign(const char *text, bool *negative);

// Decimal integer: optional leading white space and sign, digits up to the
// first non-digit. No digits give 0; values past the 32-bit range stop at
// its nearest end.
int32_t decimalToInt32(const char *text);

// Decimal real: optional leading white space and sign, digits with an
// optional fraction and exponent, read up to the first character that does
// not fit. No digits give 0.
double decimalToDouble(const char *text);

#endif
