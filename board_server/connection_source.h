// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Where a connection comes from, as the server's limits count it: its
// numeric address, except that every loopback address (127.0.0.0/8, ::1,
// and those mapped into IPv6) is one source: any local user may pick any
// of them, and over an SSH tunnel every desk arrives on loopback.
#ifndef BOARD_SERVER_CONNECTION_SOURCE_H
#define BOARD_SERVER_CONNECTION_SOURCE_H

#include <string>

// peer is a numeric address as platPeerAddress gives it.
std::string connectionSource(const std::string &peer);

#endif
