// demo_sensors' program-wide values: the monitor flags read at start, the
// board and the handles the device sequence took, and the readings the
// polling loop stores for the report table.
#ifndef MONITOR_PROGRAM_VALUES_H
#define MONITOR_PROGRAM_VALUES_H

#include <stdint.h>

#include "kel_sysmon.h"

#define MONITOR_NO_BOARD (-1)

// Each flag is the low 8 bits of its option value; non-zero means on.
struct MonitorFlags {
    uint8_t temperature;
    uint8_t vccInt;
    uint8_t vccAux;
    uint8_t vrefP;
    uint8_t isMon; // refresh every second until Esc
};

// What the last pass read; all 0 until first filled.
struct ReadingSet {
    NominalVoltages nominal;
    SensorReading temperature;
    SensorReading vccInt;
    SensorReading vccAux;
    double vrefP;
    double vrefN;
};

extern MonitorFlags g_flags;
extern int32_t g_chosenLid;     // the first listed board; MONITOR_NO_BOARD before
extern int32_t g_device;        // the open device
extern int32_t g_sysmonService; // the captured SYSMON0, 0 when none
extern ReadingSet g_readings;

#endif
