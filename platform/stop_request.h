// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Ending a run early, on the operator's or the system's request, without
// leaving the board held.
//
// A request (Ctrl+C, Ctrl+\, a termination or hang-up signal, a terminal
// that hangs up, a closed standard output; on Windows Ctrl+C, Ctrl+Break
// and closing the console window) is only recorded when it arrives. The
// programs look at it at their waiting points and between boards, give
// back what they hold in the order of the normal path, and end with the
// status it gives. Key waits and sleeps end at once when a request arrives.
#ifndef PLATFORM_STOP_REQUEST_H
#define PLATFORM_STOP_REQUEST_H

#include <stdio.h>

// Starts recording requests; call once, first thing in the program.
void platWatchStopRequests(void);

// 0 while the run may go on; once a request arrived, the exit status the
// program ends with: 128 plus the number of the signal (130 Ctrl+C, 131
// Ctrl+\, 129 hang-up, hung-up terminal or closed console window, 141
// closed output, 143 termination, 149 Ctrl+Break).
int platStopStatus(void);

// The status to end the program with: status, unless a request arrived.
// Flushes standard output first, so that an output closed by its reader is
// noticed even when nothing was written since the last flush.
inline int platEndStatus(int status) {
    fflush(stdout);
    const int stopStatus = platStopStatus();
    return stopStatus != 0 ? stopStatus : status;
}

#endif
