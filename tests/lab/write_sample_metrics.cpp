// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Writes a metrics file as the board server does, from a fixed snapshot,
// for the checks that need a file before a server writes one: promtool's
// lint and the monitoring chain.
//   write_sample_metrics FILE [TEMPERATURE]
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "metrics_text.h"
#include "replace_file.h"

int main(int argc, char **argv) {
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: write_sample_metrics FILE [TEMPERATURE]\n");
        return 2;
    }
    MetricsSnapshot snapshot;
    BoardReadings board;
    board.lid = 1;
    // A quote, a backslash and a byte that is not UTF-8: the escaping is
    // part of what the lint checks.
    board.board = "SIM-DDS3U \"rack 2\\slot 4\" \xCF";
    board.temperatureCelsius = argc == 3 ? strtod(argv[2], nullptr) : 41.5;
    board.voltageVolts = {1.0, 1.797, 1.249, std::nullopt};
    board.nominalVolts = {1.0, 1.8, 1.25, 0.0};
    board.readFailures = 1;
    snapshot.boards.push_back(board);
    snapshot.server.clients = 2;
    snapshot.server.captures["SYSMON0"] = {0, 1, 1};
    snapshot.server.captures["BASEDDS0"] = {1, 0, 0};
    snapshot.server.captureWaits["BASEDDS0"] = 1;
    snapshot.server.calls["KEL_ctrl"] = 840;
    snapshot.server.callFailures["KEL_ctrl"] = 1;
    snapshot.server.refusedConnections["authentication"] = 2;
    snapshot.version = "1.0.0";
    if (!platReplaceFile(argv[1], metricsText(snapshot))) {
        fprintf(stderr, "write_sample_metrics: cannot write %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    return 0;
}
