// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The remote board library's one connection to the board server, made at
// the first call: KEL_SERVER names the server (ADDRESS:PORT; the server's
// default address without it) and KEL_SERVER_TIMEOUT_MS how long a call may
// wait for its answer beyond a capture's own timeout (5000 without it).
// When the first connection cannot be made, one line on standard error
// names the server and says why, and every call fails at once with that
// status. A server that goes away later (stopped, restarted, the link
// lost) is named by one line too; calls then fail at once with
// kServerUnreachable, and one of them, at most once a second, tries again:
// when the server is back, what the program held is taken back under the
// handles the program has (session_resume.h) and the call goes on. An
// idle connection is kept alive by a ping every second, so the server can
// tell a program that stopped answering from one that is only waiting.
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
