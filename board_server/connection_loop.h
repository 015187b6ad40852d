// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The server's connections: each accepted one served by a thread of its
// own, at most kMaxClients at a time, kMaxClientsPerAddress from one address
// and kMaxUnauthenticated not yet welcomed; an address that failed
// authentication kMaxFailedAuthentications times in kFailureWindowMs is
// refused until the window passes. A connection past a limit is refused
// with a message and logged; the others go on. All this until the stop predicate says so; then
// every wait ends, every session is ended and what its client held given back.
#ifndef BOARD_SERVER_CONNECTION_LOOP_H
#define BOARD_SERVER_CONNECTION_LOOP_H

#include <stddef.h>

#include <functional>

#include "board_broker.h"
#include "client_session.h"
#include "socket_link.h"

const size_t kMaxClients = 100;
const size_t kMaxClientsPerAddress = 64;
const size_t kMaxUnauthenticated = 64;
const size_t kMaxFailedAuthentications = 10;
const int kFailureWindowMs = 60 * 1000;

void serveConnections(PlatSocket listener, BoardBroker *broker, const ServerSettings &settings,
                      const std::function<bool()> &stopped);

#endif
