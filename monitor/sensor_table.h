// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The report table: board line, temperature line and the voltage rows with
// their deviation from nominal, 5 % or more marked as an error.
#ifndef MONITOR_SENSOR_TABLE_H
#define MONITOR_SENSOR_TABLE_H

#include "kel_sysmon.h"

#define SENSOR_ERROR_THRESHOLD 5.0 // percent

enum SensorRow {
    ROW_BLANK_ERROR, // nominal 0: no deviation to show
    ROW_ORDINARY,    // below the threshold, or not a number
    ROW_ERROR        // at or above the threshold
};

// Picks the row format for a current value against its nominal and writes
// the deviation in percent (left unset for ROW_BLANK_ERROR).
SensorRow chooseRow(double current, double nominal, double *deviation);

// One screen from g_readings, g_flags and g_chosenLid.
void printSensorTable(void);

// The chosen board's description, read afresh from the library.
void printBoardLine(void);

#endif
