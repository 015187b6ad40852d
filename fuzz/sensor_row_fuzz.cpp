// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Feeds arbitrary readings, nominals and flags (NaN, infinities, denormals
// and all) to demo_sensors' row choice and report table.
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../monitor/program_values.h"
#include "../monitor/sensor_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static FILE *sink = freopen("/dev/null", "w", stdout);
    (void)sink;
    if (size < 1) {
        return 0;
    }
    const uint8_t flags = data[0];
    g_flags.temperature = flags & 1;
    g_flags.vccInt = flags & 2;
    g_flags.vccAux = flags & 4;
    g_flags.vrefP = flags & 8;
    g_flags.isMon = flags & 16;
    ReadingSet readings;
    memset(&readings, 0, sizeof readings);
    memcpy(&readings, data + 1, size - 1 < sizeof readings ? size - 1 : sizeof readings);
    g_readings = readings;

    const double pairs[][2] = {
        {readings.vccInt.current, readings.nominal.vccInt},
        {readings.vccAux.current, readings.nominal.vccAux},
        {readings.vrefP, readings.nominal.vrefP},
        {readings.vrefN, readings.nominal.vrefN},
    };
    for (const auto &pair : pairs) {
        double deviation = 0.0;
        const SensorRow row = chooseRow(pair[0], pair[1], &deviation);
        if (pair[1] == 0.0 && row != ROW_BLANK_ERROR) {
            abort(); // a nominal of 0 has no deviation to show
        }
        if (row == ROW_ERROR && !(deviation >= SENSOR_ERROR_THRESHOLD)) {
            abort(); // only a deviation at or past the threshold is an error
        }
    }
    printSensorTable();
    return 0;
}
