// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Board and unit numbers as operators type them on either program's
// command line.
#ifndef COMMON_LID_TEXT_H
#define COMMON_LID_TEXT_H

#include <stdint.h>

// Converts a LID (or a programmable unit's id) as an unsigned 32-bit number
// with automatic base: 0x for hexadecimal, a leading 0 for octal, else
// decimal; optional leading white space and sign, digits up to the first
// that does not fit the base. A sign wraps ("-1" is all ones); a value past
// 32 bits gives all ones.
uint32_t convertLid(const char *text);

#endif
