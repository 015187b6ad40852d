// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "polling_loop.h"

#include <stdio.h>
#include <string.h>

#include "console.h"
#include "kel_api.h"
#include "program_values.h"
#include "reading_log.h"
#include "sensor_table.h"
#include "stop_request.h"
#include "system.h"

namespace {

const uint32_t kPassIntervalMs = 1000;
const int kEscape = 27;

// The table shows whatever the record holds after the call, failed or not;
// the status is kept only so that the readings log can leave a failed
// read out.
int32_t readRange(int32_t service, uint32_t code, SysmonRecords *records, SensorReading *into) {
    const int32_t status = KEL_ctrl(service, 0, code, &records->sensor);
    *into = records->sensor;
    return status;
}

void readSensors(int32_t service, SysmonRecords *records) {
    ReadStatuses &status = g_readings.status;
    if (g_flags.temperature) {
        status.temperature =
            readRange(service, KELctrl_SYSMON_GETTEMP, records, &g_readings.temperature);
    }
    if (g_flags.vccInt) {
        status.vccInt = readRange(service, KELctrl_SYSMON_GETVCCINT, records, &g_readings.vccInt);
    }
    if (g_flags.vccAux) {
        status.vccAux = readRange(service, KELctrl_SYSMON_GETVCCAUX, records, &g_readings.vccAux);
    }
    if (g_flags.vrefP) {
        status.vrefP = KEL_ctrl(service, 0, KELctrl_SYSMON_GETVREFP, &records->vrefP);
        g_readings.vrefP = records->vrefP;
    }
    status.vrefN = KEL_ctrl(service, 0, KELctrl_SYSMON_GETVREFN, &records->vrefN);
    g_readings.vrefN = records->vrefN;
}

// True when the operator pressed Esc; any other key is swallowed.
bool escapePressed() { return platKeyWaiting() && platGetKey() == kEscape; }

} // namespace

void readNominals(int32_t service, SysmonRecords *records) {
    KEL_ctrl(service, 0, KELctrl_SYSMON_GETNOMINALS, &records->nominal);
    g_readings.nominal = records->nominal;
}

void runPollingPass(int32_t service, SysmonRecords *records) {
    readSensors(service, records);
    printSensorTable();
    // Whoever reads a redirected output sees each table as it is made.
    fflush(stdout);
    logReadings();
}

void runMonitor(int32_t service) {
    SysmonRecords records;
    memset(&records, 0, sizeof records);
    readNominals(service, &records);
    openReadingLog();
    // Keys typed during the first second are not echoed either.
    platEnterKeyMode();
    for (;;) {
        runPollingPass(service, &records);
        platSleepMs(kPassIntervalMs);
        if (platStopStatus() != 0) {
            break; // the device sequence gives the board back
        }
        if (escapePressed() || !g_flags.isMon) {
            break;
        }
    }
    closeReadingLog();
}
