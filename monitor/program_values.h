// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// demo_sensors' program-wide values: the monitor flags read at start, the
// board and the handles the device sequence took, and the readings the
// polling loop stores for the report table.
#ifndef MONITOR_PROGRAM_VALUES_H
#define MONITOR_PROGRAM_VALUES_H

#include <stdint.h>

#include <string>

#include "filesystem.h"
#include "kel_sysmon.h"

#define MONITOR_NO_BOARD (-1)
#define MONITOR_FIRST_LISTED (-1) // -lid-1, -pu-1 and no option: the first one listed

// Each flag is the low 8 bits of its option value; non-zero means on.
struct MonitorFlags {
    uint8_t temperature;
    uint8_t vccInt;
    uint8_t vccAux;
    uint8_t vrefP;
    uint8_t isMon; // refresh every second until Esc
};

// The status each sensor's last control call returned, 0 until it is
// read. The table shows a failed read's stale or zero value as it always
// has; the readings log must not pass it off as a reading.
struct ReadStatuses {
    int32_t temperature;
    int32_t vccInt;
    int32_t vccAux;
    int32_t vrefP;
    int32_t vrefN;
};

// What the last pass read; all 0 until first filled.
struct ReadingSet {
    NominalVoltages nominal;
    SensorReading temperature;
    SensorReading vccInt;
    SensorReading vccAux;
    double vrefP;
    double vrefN;
    ReadStatuses status;
};

extern MonitorFlags g_flags;
extern int32_t g_wantedLid;              // -lid: the board to open, or MONITOR_FIRST_LISTED
extern int32_t g_wantedUnit;             // -pu: the unit to check, or MONITOR_FIRST_LISTED
extern char g_kelConfig[PLAT_PATH_SIZE]; // the configuration file named to KEL_init
extern const char *g_optionFile;         // -f: the option file; null: search for it
extern std::string g_logFile;            // LogFile: the readings log; empty: none
extern int32_t g_chosenLid;              // the board opened; MONITOR_NO_BOARD before
extern int32_t g_device;                 // the open device
extern int32_t g_sysmonService;          // the captured SYSMON0, 0 when none
extern ReadingSet g_readings;

#endif
