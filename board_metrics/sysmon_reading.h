// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// One pass over a board's system monitor (SYSMON0) for the metrics file,
// through whatever carries the control calls (the server's loaded library).
#ifndef BOARD_METRICS_SYSMON_READING_H
#define BOARD_METRICS_SYSMON_READING_H

#include <stdint.h>

#include <functional>

#include "metrics_snapshot.h"

// A control call on the captured SYSMON0 service: the code and the record
// it fills; returns the library's status.
using SysmonControl = std::function<int32_t(uint32_t code, void *record)>;

// Reads the temperature, the four rails and their nominals afresh into
// board. A call whose status is a failure leaves its readings absent (the
// nominals' one call, all four) and adds one to board->readFailures; the
// previous pass's values never stand in for them.
void readBoardSensors(const SysmonControl &control, BoardReadings *board);

#endif
