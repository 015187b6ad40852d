// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "local_server.h"

#include "connection_loop.h"

LocalServer::LocalServer(const RealLibrary &library, const std::string &token) : broker_(library) {
    settings_.token = token;
    std::string problem;
    uint16_t port = 0;
    if (!platSocketsStart(&problem) ||
        (listener_ = platListen("127.0.0.1", 0, &port, &problem)) == kNoSocket) {
        return;
    }
    address_ = "127.0.0.1:" + std::to_string(port);
    loop_ = std::thread([this] {
        serveConnections(listener_, &broker_, settings_, [this] { return stop_.load(); });
    });
}

LocalServer::~LocalServer() {
    stop_ = true;
    if (loop_.joinable()) {
        loop_.join();
    }
    platCloseSocket(listener_);
}
