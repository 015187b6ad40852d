// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Writes a metrics file as the board server does, from a fixed snapshot
// whose board name needs escaping (a quote, a backslash, a byte that is not
// UTF-8), which no simulated board gives the server: for promtool's lint.
//   write_sample_metrics FILE [TEMPERATURE]
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "metrics_text.h"
#include "replace_file.h"
#include "sample_snapshot.h"

int main(int argc, char **argv) {
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: write_sample_metrics FILE [TEMPERATURE]\n");
        return 2;
    }
    MetricsSnapshot snapshot = sampleSnapshot();
    BoardReadings &board = snapshot.boards.front();
    // A quote, a backslash and a byte that is not UTF-8: the escaping is
    // part of what the lint checks.
    board.board = "SIM-DDS3U \"rack 2\\slot 4\" \xCF";
    if (argc == 3) {
        board.temperatureCelsius = strtod(argv[2], nullptr);
    }
    if (!platReplaceFile(argv[1], metricsText(snapshot))) {
        fprintf(stderr, "write_sample_metrics: cannot write %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    return 0;
}
