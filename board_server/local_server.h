// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A board server inside the calling process, listening on loopback on a
// port the system chooses: for the tests and the benchmark, which play its
// clients from threads of the same process.
#ifndef BOARD_SERVER_LOCAL_SERVER_H
#define BOARD_SERVER_LOCAL_SERVER_H

#include <atomic>
#include <string>
#include <thread>

#include "board_broker.h"
#include "client_session.h"
#include "kel_entry_points.h"
#include "real_library.h"
#include "socket_link.h"

// The board library the calling program is linked with, as a server would
// load it: the tests and the benchmark serve the simulated one so.
inline RealLibrary linkedLibrary() {
#define LOCAL_SERVER_LIBRARY_FUNCTION(name, type, parameters, arguments) &KEL_##name,
    return RealLibrary{KEL_ENTRY_POINTS(LOCAL_SERVER_LIBRARY_FUNCTION)};
#undef LOCAL_SERVER_LIBRARY_FUNCTION
}

class LocalServer {
public:
    // With a token (not empty), clients must authenticate.
    explicit LocalServer(const RealLibrary &library, const std::string &token = std::string());
    LocalServer(const LocalServer &) = delete;
    LocalServer &operator=(const LocalServer &) = delete;
    // Stops as kel_server does on a termination request.
    ~LocalServer();

    // ADDRESS:PORT; empty when it could not listen.
    const std::string &address() const { return address_; }

    // For a part of the server that sits beside the clients (the metrics).
    BoardBroker *broker() { return &broker_; }

private:
    BoardBroker broker_;
    ServerSettings settings_;
    PlatSocket listener_ = kNoSocket;
    std::string address_;
    std::atomic<bool> stop_{false};
    std::thread loop_;
};

#endif
