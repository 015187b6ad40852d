// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Which connections have sent their greeting: a session marks its own, so
// that the connection loop, making room in a flood, drops one that has
// said nothing before one that is proving the token.
#ifndef BOARD_SERVER_GREETING_PROGRESS_H
#define BOARD_SERVER_GREETING_PROGRESS_H

#include "socket_link.h"

void markGreeted(PlatSocket socket);
bool hasGreeted(PlatSocket socket);
// Before the socket is closed (and its number given to another).
void forgetGreeting(PlatSocket socket);

#endif
