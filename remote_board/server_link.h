// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The remote board library's one connection to the board server, made at
// the first call: KEL_SERVER names the server (ADDRESS:PORT; the server's
// default address without it) and KEL_SERVER_TIMEOUT_MS how long a call may
// wait for its answer beyond a capture's own timeout (5000 without it).
// When the server cannot be reached, goes away or does not answer in time,
// one line on standard error names it and says why, and that call and every
// later one fail at once with the same status. An idle connection is kept
// alive by a ping every second, so the server can tell a program that
// stopped answering from one that is only waiting.
#ifndef REMOTE_BOARD_SERVER_LINK_H
#define REMOTE_BOARD_SERVER_LINK_H

#include <initializer_list>

#include "call_shapes.h"

namespace remote {

// Carries one call to the server and its answer back: the result, and the
// bytes the board library wrote into the caller's buffers.
int32_t forwardCall(const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments);

} // namespace remote

#endif
