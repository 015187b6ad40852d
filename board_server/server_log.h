// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The server's log: arrivals, departures, what was given
// back. A line is queued and written by a thread of its own, so a reader
// that takes the output slowly, or not at all, never holds the server up;
// when the queue is full, lines are dropped and the count of them logged
// once there is room.
#ifndef BOARD_SERVER_SERVER_LOG_H
#define BOARD_SERVER_SERVER_LOG_H

#include <stdio.h>

#include <string>

// Lines go to `destination` (standard error, or the --log-file), each
// after its time unless `timed` is false.
void startServerLog(FILE *destination, bool timed);

// Queues one line (without its newline).
void logLine(const std::string &line);

// Writes what is queued, waiting at most a moment for a stalled reader, and
// ends the writer.
void stopServerLog();

#endif
