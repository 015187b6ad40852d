// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Replay: with KEL_REPLAY naming a recording, the simulated library answers
// every call from it, in order, instead of from its configuration: the
// recorded result and the recorded writes into the caller's buffers. The
// first call that differs from the recording is reported on standard error
// and ends the program with rec::kReplayDivergedStatus.
#ifndef SIMBOARD_REPLAY_H
#define SIMBOARD_REPLAY_H

#include <stddef.h>
#include <stdint.h>

#include <initializer_list>

#include "call_shapes.h"

namespace sim {

bool replaying();

// The recording is read at the first call; a damaged one fails every call.
int32_t replayCall(const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments);

// A control record's size on a service as the recorded captures tell it.
size_t replayRecordSize(int32_t service, uint32_t code);

} // namespace sim

#endif
