// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Takes back on a new connection what the program held (held_session.h):
// the library started as the program started it, each device opened as it
// opened it, each capture taken again with its service and mode, and a
// short timeout, so that a service another client took meanwhile is told
// at once rather than after the program's own long wait.
#ifndef REMOTE_BOARD_SESSION_RESUME_H
#define REMOTE_BOARD_SESSION_RESUME_H

#include <stdint.h>

#include <chrono>
#include <string>
#include <vector>

#include "held_session.h"
#include "server_connection.h"

namespace remote {

// How long a capture taken back may wait for its service: long enough for
// a server to give back the session of a connection it lost a moment ago.
const uint32_t kRetakeTimeoutMs = 1000;

// The session's handles become the server's new ones; what cannot be
// taken back is lost, each named by one line in *notes. False when the
// connection failed on the way (its status and reason): the session is
// then as it was, to be tried again.
bool resumeSession(proto::ServerConnection *connection, HeldSession *session,
                   std::chrono::steady_clock::time_point deadline, std::vector<std::string> *notes,
                   int32_t *status, std::string *problem);

} // namespace remote

#endif
