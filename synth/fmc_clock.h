// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Routing of the base module's clock switch (service BASEFMC0).
#ifndef SYNTH_FMC_CLOCK_H
#define SYNTH_FMC_CLOCK_H

#include <stdint.h>

// Captures BASEFMC0 on the open device, routes the reference clock and the
// clock-out, and releases the service again.
void setupFmcClock(int32_t device);

#endif
