// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// One board and a busy server, every family of the metrics file filled: for
// the unit tests and for the sample file that promtool and the monitoring
// chain read.
#ifndef TESTS_UNIT_BOARD_METRICS_SAMPLE_SNAPSHOT_H
#define TESTS_UNIT_BOARD_METRICS_SAMPLE_SNAPSHOT_H

#include "metrics_snapshot.h"

inline MetricsSnapshot sampleSnapshot() {
    MetricsSnapshot snapshot;
    BoardReadings board;
    board.lid = 7;
    board.board = "SIM-DDS3U";
    board.temperatureCelsius = 41.25;
    board.voltageVolts[RAIL_VCCINT] = 1.0;
    board.voltageVolts[RAIL_VREFP] = 1.249;
    board.nominalVolts = {1.0, 1.8, 1.25, 0.0};
    board.readFailures = 3; // vccaux and vrefn were not read
    snapshot.boards.push_back(board);
    snapshot.server.clients = 2;
    snapshot.server.captures["SYSMON0"] = {0, 1, 1};
    snapshot.server.captureWaits["BASEDDS0"] = 1;
    snapshot.server.calls["KEL_ctrl"] = 120;
    snapshot.server.callFailures["KEL_ctrl"] = 4;
    snapshot.server.refusedConnections["authentication"] = 5;
    snapshot.version = "1.0.0";
    return snapshot;
}

#endif
