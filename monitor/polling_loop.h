// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The polling loop: nominal voltages once, then the enabled sensors on
// every pass, each pass printed as a table.
#ifndef MONITOR_POLLING_LOOP_H
#define MONITOR_POLLING_LOOP_H

#include <stdint.h>

#include "kel_sysmon.h"

// The records handed to the library, zeroed once and reused on every pass:
// a read the library leaves unwritten shows what its record held last.
struct SysmonRecords {
    SensorReading sensor; // shared by the temperature, VCCint and VCCaux reads
    double vrefP;
    double vrefN;
    NominalVoltages nominal;
};

// Reads through the captured SYSMON0 service until done: one pass, or with
// IsMon on one pass a second until Esc.
void runMonitor(int32_t service);

// Reads the nominal voltages into g_readings.
void readNominals(int32_t service, SysmonRecords *records);

// One pass without the wait: reads the enabled sensors into g_readings and
// prints the table.
void runPollingPass(int32_t service, SysmonRecords *records);

#endif
