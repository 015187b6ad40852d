// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <string.h>

#include "socket_link.h"

bool platIsLoopbackAddress(const uint8_t *bytes, size_t size) {
    const uint8_t kIpv4Loopback = 127;
    if (size == 4) {
        return bytes[0] == kIpv4Loopback;
    }
    if (size != 16) {
        return false;
    }
    static const uint8_t kIpv6Loopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    // ::ffff:a.b.c.d is the IPv4 address a.b.c.d on an IPv6 socket.
    static const uint8_t kMappedIpv4Prefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    return memcmp(bytes, kIpv6Loopback, sizeof kIpv6Loopback) == 0 ||
           (memcmp(bytes, kMappedIpv4Prefix, sizeof kMappedIpv4Prefix) == 0 &&
            bytes[12] == kIpv4Loopback);
}
