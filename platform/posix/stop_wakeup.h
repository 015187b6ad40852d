// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Between the stop-request handler and the waits of the console and the
// sleep: a descriptor that becomes readable, for good, when a stop request
// arrives, so that a wait can watch it beside its input or its timeout.
#ifndef PLATFORM_POSIX_STOP_WAKEUP_H
#define PLATFORM_POSIX_STOP_WAKEUP_H

// The descriptor to poll for reading; -1 while requests are not watched.
int stopWakeupDescriptor(void);

// The terminal that keys come from hung up (its input ended or failed): a
// stop request as SIGHUP is, recorded whether or not that signal follows or
// is ignored, so that nothing is started on a key nobody pressed.
void recordTerminalHangUp(void);

#endif
