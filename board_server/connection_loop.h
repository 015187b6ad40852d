// The server's connections: each accepted one served by a thread of its
// own, at most kMaxClients at a time (one more is refused with a message),
// until the stop predicate says so; then every wait ends, every session is
// ended and what its client held given back.
#ifndef BOARD_SERVER_CONNECTION_LOOP_H
#define BOARD_SERVER_CONNECTION_LOOP_H

#include <stddef.h>

#include <functional>

#include "board_broker.h"
#include "client_session.h"
#include "socket_link.h"

const size_t kMaxClients = 100;

void serveConnections(PlatSocket listener, BoardBroker *broker, const ServerSettings &settings,
                      const std::function<bool()> &stopped);

#endif
