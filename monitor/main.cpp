// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// demo_sensors: reads the system monitor of the first board and prints its
// temperature and voltages against their nominal values.
#include "startup.h"

int main(int argc, char **argv) { return runSensors(argc, argv); }
