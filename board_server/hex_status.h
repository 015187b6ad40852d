// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A board library status as the server's log lines write it: 0x and the
// 32 bits in lower-case hex, a handle's negative failures included.
#ifndef BOARD_SERVER_HEX_STATUS_H
#define BOARD_SERVER_HEX_STATUS_H

#include <stdint.h>
#include <stdio.h>

#include <string>

inline std::string hexStatus(int32_t status) {
    char text[16];
    snprintf(text, sizeof text, "0x%x", static_cast<uint32_t>(status));
    return text;
}

#endif
