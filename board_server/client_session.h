// One client of the board server, from its greeting to its departure: each
// call read, checked, served and answered in order, and whatever the client
// still holds given back when it goes, however it goes.
#ifndef BOARD_SERVER_CLIENT_SESSION_H
#define BOARD_SERVER_CLIENT_SESSION_H

#include <string>

#include "board_broker.h"
#include "socket_link.h"

struct ServerSettings {
    std::string libraryPath;
    std::string recordDirectory; // empty: no recordings
};

// Serves the connection until the client leaves, breaks the protocol, goes
// silent or the socket is shut down; then gives back what it holds. The
// caller closes the socket.
void serveClient(PlatSocket socket, BoardBroker *broker, const ServerSettings &settings);

#endif
