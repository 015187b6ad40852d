// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// demo_sgen's main flow: settings, library start, every board in turn.
#ifndef SYNTH_BOARD_SWEEP_H
#define SYNTH_BOARD_SWEEP_H

// Returns the exit status: 1 when the settings could not be read, else 0.
int sweepBoards(int argc, char **argv);

#endif
