// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Statuses of the recorder and of the replay, beyond the board library's
// own: a failure under the status mask, negative as a handle, and the
// status that ends a diverged replay.
#ifndef RECORDING_RECORDING_STATUS_H
#define RECORDING_RECORDING_STATUS_H

#include <stdint.h>

namespace rec {

// The recorder could not load the board library or write its recording, or
// the replay could not read its recording.
const int32_t kRecordingUnusable = static_cast<int32_t>(0xC0000110u);

// The exit status of a program whose replay met a call that differs from
// the recording, or one past its end: neither program ends with it (theirs
// are 0, 1 and 128 plus a signal's number).
const int kReplayDivergedStatus = 65;

} // namespace rec

#endif
