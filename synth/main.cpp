// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// demo_sgen: lists the boards, their units and services, routes the clocks
// and programs the synthesizer of every board that offers one.
#include "board_sweep.h"

int main(int argc, char **argv) { return sweepBoards(argc, argv); }
