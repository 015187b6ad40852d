// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "sysmon_reading.h"

#include "kel_status.h"
#include "kel_sysmon.h"

namespace {

// The call, counted when it fails; true when its record holds a reading.
bool succeeded(const SysmonControl &control, uint32_t code, void *record, BoardReadings *board) {
    if (KEL_FAILED(control(code, record))) {
        ++board->readFailures;
        return false;
    }
    return true;
}

} // namespace

void readBoardSensors(const SysmonControl &control, BoardReadings *board) {
    board->temperatureCelsius.reset();
    board->voltageVolts.fill(std::nullopt);
    board->nominalVolts.fill(std::nullopt);

    SensorReading range = {0.0, 0.0, 0.0};
    if (succeeded(control, KELctrl_SYSMON_GETTEMP, &range, board)) {
        board->temperatureCelsius = range.current;
    }
    const uint32_t rangeCodes[] = {KELctrl_SYSMON_GETVCCINT, KELctrl_SYSMON_GETVCCAUX};
    for (int rail = RAIL_VCCINT; rail <= RAIL_VCCAUX; ++rail) {
        range = SensorReading{0.0, 0.0, 0.0};
        if (succeeded(control, rangeCodes[rail], &range, board)) {
            board->voltageVolts[rail] = range.current;
        }
    }
    // The references are read as one value each, not as a range.
    const uint32_t valueCodes[] = {KELctrl_SYSMON_GETVREFP, KELctrl_SYSMON_GETVREFN};
    for (int rail = RAIL_VREFP; rail <= RAIL_VREFN; ++rail) {
        double value = 0.0;
        if (succeeded(control, valueCodes[rail - RAIL_VREFP], &value, board)) {
            board->voltageVolts[rail] = value;
        }
    }
    NominalVoltages nominal = {0.0, 0.0, 0.0, 0.0};
    if (succeeded(control, KELctrl_SYSMON_GETNOMINALS, &nominal, board)) {
        board->nominalVolts = {nominal.vccInt, nominal.vccAux, nominal.vrefP, nominal.vrefN};
    }
}
