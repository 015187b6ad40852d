// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The recorder's session: at the first call the board library is loaded
// and the recording file opened; then every call is written to it as it
// returns, flushed at once so that a program that ends without shutting
// the library down leaves a complete recording.
#ifndef RECORDER_RECORDING_SESSION_H
#define RECORDER_RECORDING_SESSION_H

#include "handle_book.h"
#include "real_library.h"
#include "recorded_call.h"

// The board library when the session could start. When it could not, one
// line on standard error says why (at the first call only) and the result
// is null.
const RealLibrary *startedSession();

// The services held so far, for the size of control records.
const rec::HandleBook &sessionBook();

// Numbers the finished call and writes it. A recording that stops being
// writable is reported once; the calls go on being forwarded.
void writeCall(rec::Call *call);

#endif
