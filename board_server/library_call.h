// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Making a call that arrived over the wire on the board library the server
// loaded: each argument from the call's values, each buffer a copy of the
// caller's bytes the library reads and writes.
#ifndef BOARD_SERVER_LIBRARY_CALL_H
#define BOARD_SERVER_LIBRARY_CALL_H

#include "real_library.h"
#include "recorded_call.h"

// Calls the library's entry point of the call's index; sets the call's
// result and, for each buffer the call changed, `written` and all its
// bytes after it. A call of no entry point is not carried.
void callLibrary(const RealLibrary &real, rec::Call *call);

#endif
