// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The status frame's body (protocol.h): the broker's books with the
// server's own facts, written by the server and read by `kel_server
// --status`, which formats them.
#ifndef BOARD_SERVER_STATUS_MESSAGE_H
#define BOARD_SERVER_STATUS_MESSAGE_H

#include <string>

#include "broker_snapshot.h"
#include "wire_bytes.h"

struct ServerStatus {
    WallClock::time_point now;
    WallClock::time_point started;
    std::string library;
    BrokerSnapshot books;
};

// The server's own internal clients are left out: the query reports the
// programs that use the board.
proto::Bytes statusBody(const ServerStatus &status);

// Whatever a peer sent: a whole, well-formed status, or false with what is
// wrong.
bool readStatus(const proto::Bytes &body, ServerStatus *status, std::string *problem);

#endif
