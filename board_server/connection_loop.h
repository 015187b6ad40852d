// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The server's connections: each accepted one served by a thread of its
// own. At most kMaxClients welcomed clients, kMaxClientsPerAddress from one
// address: a connection past these is refused with a message. Connections
// not yet welcomed (no greeting yet, or no proof of the token) never keep
// a greeting client out: once kMaxUnwelcomed are held, a new one drops the
// oldest of the source (connection_source.h) that holds the most, so an
// address holding a few keeps them while a flooding one loses its own
// first. Refusals and drops are logged through
// the refusal tally (a line a second in a flood). All this until the stop
// predicate says so; then every wait ends, every session is ended and
// what its client held given back.
#ifndef BOARD_SERVER_CONNECTION_LOOP_H
#define BOARD_SERVER_CONNECTION_LOOP_H

#include <stddef.h>

#include <functional>

#include "board_broker.h"
#include "client_session.h"
#include "socket_link.h"

const size_t kMaxClients = 100;
const size_t kMaxClientsPerAddress = 64;
const size_t kMaxUnwelcomed = 64;

void serveConnections(PlatSocket listener, BoardBroker *broker, const ServerSettings &settings,
                      const std::function<bool()> &stopped);

#endif
