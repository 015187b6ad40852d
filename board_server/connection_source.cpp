// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "connection_source.h"

namespace {

bool startsWith(const std::string &text, const char *prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

} // namespace

std::string connectionSource(const std::string &peer) {
    // The peer is numeric, so its spelling is the system's: no name can
    // look like these.
    if (peer == "::1" || startsWith(peer, "127.") || startsWith(peer, "::ffff:127.")) {
        return "loopback";
    }
    return peer;
}
