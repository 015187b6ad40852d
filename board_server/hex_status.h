// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A number as the server's log lines and status answers write it: 0x and
// lower-case hex; a board library status as its 32 bits, a handle's
// negative failures included.
#ifndef BOARD_SERVER_HEX_STATUS_H
#define BOARD_SERVER_HEX_STATUS_H

#include <stdint.h>
#include <stdio.h>

#include <string>

inline std::string hexText(uint32_t value) {
    char text[16];
    snprintf(text, sizeof text, "0x%x", value);
    return text;
}

inline std::string hexStatus(int32_t status) { return hexText(static_cast<uint32_t>(status)); }

#endif
