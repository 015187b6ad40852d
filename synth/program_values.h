// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// demo_sgen's program-wide values: what the command line and the option
// file chose, read by the sweep, the clock routing and the DDS programming.
#ifndef SYNTH_PROGRAM_VALUES_H
#define SYNTH_PROGRAM_VALUES_H

#include <stdint.h>

#include "filesystem.h"

#define SGEN_NAME_SIZE PLAT_PATH_SIZE // option-file name and built path buffers
#define SGEN_ALL_BOARDS (-1)

// Entries of the unit and service lists asked of the library per board.
#define SGEN_UNIT_CAPACITY 5
#define SGEN_SERVICE_CAPACITY 10

// The twelve option-file settings, in the order of the option table.
struct SgenOptions {
    int32_t refClockSource;
    double refClockValue;
    double outputFreq;
    int32_t lengthStb;
    int32_t polarityStb;
    int32_t delayStb;
    int32_t periodStb;
    int32_t numberStb;
    int32_t contStb;
    int32_t startStb;
    int32_t startSource;
    int32_t startInverse;
};

extern int32_t g_chosenLid; // SGEN_ALL_BOARDS: every board the library lists
extern int32_t g_quiet;     // 1: print prompts but never wait for a key
extern char g_optionFileName[SGEN_NAME_SIZE];
extern SgenOptions g_options;

#endif
