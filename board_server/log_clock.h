// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The time at the head of each log line, so that a log read afterwards
// says when each thing happened: ISO 8601 local time with milliseconds and
// the zone's offset, "2026-12-09T23:45:01.123+01:00".
#ifndef BOARD_SERVER_LOG_CLOCK_H
#define BOARD_SERVER_LOG_CLOCK_H

#include <string>

#include "system.h"

std::string logTimeText(const PlatLocalTime &time);

// The line as the log writes it (without its newline): the time, unless
// `timed` is false, then "kel_server: " and the text.
std::string timedLogLine(const std::string &text, bool timed);

#endif
