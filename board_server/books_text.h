// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The broker's books in an operator's words, the same in the log and in
// the status query's answer: who a client is, a capture's mode, a moment.
#ifndef BOARD_SERVER_BOOKS_TEXT_H
#define BOARD_SERVER_BOOKS_TEXT_H

#include <stdint.h>

#include <string>

#include "broker_snapshot.h"

// `client 3 ("demo_sgen[4790]", 10.0.0.9)`
std::string clientLabel(unsigned number, const ClientIdentity &identity);

// "exclusive", "shared", "spy", or the number of a mode the library does not
// name.
std::string modeName(uint32_t mode);

int64_t millisecondsSinceEpoch(WallClock::time_point moment);
WallClock::time_point momentOf(int64_t millisecondsSinceEpoch);

// The local time of day, "08:00:01": enough for a log line, whose own time
// gives the day.
std::string clockTimeText(WallClock::time_point moment);

// The local time in ISO 8601, "2026-12-09T08:00:01.123+01:00".
std::string isoTimeText(WallClock::time_point moment);

#endif
