// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../stop_request.h"

#include <windows.h>

#include "stop_event.h"

// The console runs the control handler on a thread of its own: it records
// the event and sets the stop event, and the main flow gives the board back.
// Ctrl+C and Ctrl+Break are handled here, so the program is not ended by
// the default handler. After the handler of a closed window (or of a logoff
// or a shutdown) returns, the system ends the program: it waits while the
// main flow gives back and ends it, within the few seconds the system
// grants.

namespace {

// 128 plus the number of the C runtime's signal for the event, as a POSIX
// shell reports a program ended by that signal; closing the window counts
// as a hang-up.
const LONG kStatusCtrlC = 128 + 2;
const LONG kStatusCtrlBreak = 128 + 21;
const LONG kStatusClosed = 128 + 1;
const LONG kStatusServiceStop = 128 + 15;

// Well within the five seconds the system waits after a closed window.
const DWORD kCloseGraceMs = 4000;

volatile LONG g_stopStatus = 0;
HANDLE g_stopEvent = nullptr;

LONG statusOfEvent(DWORD type) {
    switch (type) {
    case CTRL_C_EVENT:
        return kStatusCtrlC;
    case CTRL_BREAK_EVENT:
        return kStatusCtrlBreak;
    default:
        return kStatusClosed;
    }
}

void recordStatus(LONG status) {
    InterlockedCompareExchange(&g_stopStatus, status, 0);
    if (g_stopEvent != nullptr) {
        SetEvent(g_stopEvent);
    }
}

BOOL WINAPI recordStop(DWORD type) {
    recordStatus(statusOfEvent(type));
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) {
        Sleep(kCloseGraceMs); // the main flow ends the process before this returns
    }
    return TRUE;
}

} // namespace

void recordConsoleClosed(void) { recordStatus(kStatusClosed); }

void recordServiceStop(void) { recordStatus(kStatusServiceStop); }

bool waitForStop(DWORD milliseconds) {
    if (g_stopEvent == nullptr) {
        Sleep(milliseconds);
        return false;
    }
    return WaitForSingleObject(g_stopEvent, milliseconds) == WAIT_OBJECT_0;
}

void platWatchStopRequests(void) {
    if (g_stopEvent != nullptr) {
        return;
    }
    g_stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (g_stopEvent != nullptr) {
        SetConsoleCtrlHandler(recordStop, TRUE);
    }
}

int platStopStatus(void) {
    return static_cast<int>(InterlockedCompareExchange(&g_stopStatus, 0, 0));
}
