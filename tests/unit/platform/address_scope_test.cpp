// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Which addresses only this host reaches: the server listens on any other
// only with a token, so a routable address taken for loopback serves the
// board to anyone.
#include <gtest/gtest.h>

#include <vector>

#include "socket_link.h"

namespace {

struct Case {
    std::vector<uint8_t> address;
    bool loopback;
};

std::vector<uint8_t> mapped(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, a, b, c, d};
}

TEST(AddressScope, OnlyLoopbackNetworksAreLoopback) {
    std::vector<uint8_t> ipv6Loopback(16, 0);
    ipv6Loopback[15] = 1;
    std::vector<uint8_t> ipv4Compatible(16, 0); // ::127.0.0.1, no mapping
    ipv4Compatible[12] = 127;
    ipv4Compatible[15] = 1;
    std::vector<uint8_t> linkLocal(16, 0); // fe80::1
    linkLocal[0] = 0xfe;
    linkLocal[1] = 0x80;
    linkLocal[15] = 1;
    const Case cases[] = {
        {{127, 0, 0, 1}, true},       {{127, 255, 3, 4}, true},
        {{10, 0, 0, 1}, false},       {{0, 0, 0, 0}, false}, // every address of the host
        {{128, 0, 0, 1}, false},      {{126, 255, 255, 255}, false},
        {ipv6Loopback, true},         {std::vector<uint8_t>(16, 0), false}, // ::, every address
        {mapped(127, 0, 0, 1), true}, {mapped(127, 9, 9, 9), true},
        {mapped(10, 0, 0, 1), false}, {ipv4Compatible, false},
        {linkLocal, false},           {{127, 0, 0}, false}, // no address
    };
    for (const Case &test : cases) {
        EXPECT_EQ(platIsLoopbackAddress(test.address.data(), test.address.size()), test.loopback)
            << testing::PrintToString(test.address);
    }
}

} // namespace
