// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// kel_server --status: asks a running server who holds the board and
// prints its answer.
#ifndef BOARD_SERVER_STATUS_QUERY_H
#define BOARD_SERVER_STATUS_QUERY_H

#include <string>

// Asks the server at ADDRESS:PORT, authenticated with the token of
// `tokenFile` (else of KEL_TOKEN_FILE, else none), within
// KEL_SERVER_TIMEOUT_MS for each step; prints the answer as text or JSON on
// standard output. Returns the program's status: 0, or 1 after one line
// on standard error.
int queryServerStatus(const std::string &server, const std::string &tokenFile, bool json);

#endif
