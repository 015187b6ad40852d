// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Between the console-control handler and the waits of the console and the
// sleep: an event that is set, for good, when a stop request arrives.
#ifndef PLATFORM_WIN32_STOP_EVENT_H
#define PLATFORM_WIN32_STOP_EVENT_H

#include <windows.h>

// Waits up to milliseconds and returns true as soon as a stop request has
// arrived; false after the whole wait (a plain sleep while requests are not
// watched).
bool waitForStop(DWORD milliseconds);

// The console that keys come from is gone (a key read failed): a stop
// request as a closed console window is, so that nothing is started on a
// key nobody pressed.
void recordConsoleClosed(void);

// The service control manager asked the service to stop (a stop control,
// or the system shuts down): a stop request as a termination signal is on
// POSIX.
void recordServiceStop(void);

#endif
