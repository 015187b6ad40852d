// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// One client of the board server, from its greeting to its departure: each
// call read, checked, served and answered in order, and whatever the client
// still holds given back when it goes, however it goes.
#ifndef BOARD_SERVER_CLIENT_SESSION_H
#define BOARD_SERVER_CLIENT_SESSION_H

#include <atomic>
#include <string>

#include "board_broker.h"
#include "socket_link.h"

struct ServerSettings {
    std::string libraryPath;
    std::string recordDirectory;                      // empty: no recordings
    std::string token;                                // empty: clients are not authenticated
    WallClock::time_point started = WallClock::now(); // for the status query's uptime
};

// What became of a connection's greeting.
enum class Greeting { welcomed, refused, authenticationFailed };

// Serves the connection from `peer` (its address) until the client leaves,
// breaks the protocol, goes silent or the socket is shut down; then gives
// back what it holds; *welcomed is set once the client is welcomed. The
// caller closes the socket.
Greeting serveClient(PlatSocket socket, const std::string &peer, BoardBroker *broker,
                     const ServerSettings &settings, std::atomic<bool> *welcomed);

#endif
