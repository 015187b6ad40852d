// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "sensor_table.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "console.h"
#include "kel_api.h"
#include "program_values.h"

namespace {

const double kPercent = 100.0;

// The three formats of one voltage row. Their spacing differs from row to
// row; operators' screen scrapers know them as they are.
struct RowFormats {
    const char *blankError;
    const char *ordinary;
    const char *error;
};

const RowFormats kVccIntRow = {
    "LOG:\t| VCCint | %4.3f      |          | %.3f      | %.3f  | %.3f  |\n",
    "LOG:\t| VCCint | %4.3f      | %.1f      | %.3f      | %.3f  | %.3f  |\n",
    "ERROR:\t| VCCint | %4.3f      | %.1f !!!  | %.3f      | %.3f  | %.3f  |\n",
};

const RowFormats kVccAuxRow = {
    "LOG:\t| VCCaux | %4.3f      |          | %.3f      | %.3f  | %.3f  |\n",
    "LOG:\t| VCCaux | %4.3f      | %.1f      | %.3f      | %.3f  | %.3f  |\n",
    "ERROR:\t| VCCaux | %4.3f      | %.1f !!! | %.3f      | %.3f  | %.3f  |\n",
};

const RowFormats kVrefNRow = {
    "LOG:\t| Vrefn  | %4.3f      |          | %.3f      |        |        |\n",
    "LOG:\t| Vrefn  | %4.3f      | %.1f      | %.3f        |        |        |\n",
    "ERROR:\t| Vrefn  | %4.3f      | %.1f !!! | %.3f      |        |        |\n",
};

const RowFormats kVrefPRow = {
    "LOG:\t| Vrefp  | %4.3f      |          | %.3f      |        |        |\n",
    "LOG:\t| Vrefp  | %4.3f      | %.1f      | %.3f      |        |        |\n",
    "ERROR:\t| Vrefp  | %4.3f      | %.1f !!!  | %.3f      |        |        |\n",
};

// A row with the maximum and minimum columns (VCCint, VCCaux).
void printRangeRow(const RowFormats *formats, const SensorReading *reading, double nominal) {
    double deviation = 0.0;
    switch (chooseRow(reading->current, nominal, &deviation)) {
    case ROW_BLANK_ERROR:
        printf(formats->blankError, reading->current, nominal, reading->maximum, reading->minimum);
        break;
    case ROW_ORDINARY:
        printf(formats->ordinary, reading->current, deviation, nominal, reading->maximum,
               reading->minimum);
        break;
    case ROW_ERROR:
        printf(formats->error, reading->current, deviation, nominal, reading->maximum,
               reading->minimum);
        break;
    }
}

// A row of the current value alone (Vrefn, Vrefp).
void printValueRow(const RowFormats *formats, double current, double nominal) {
    double deviation = 0.0;
    switch (chooseRow(current, nominal, &deviation)) {
    case ROW_BLANK_ERROR:
        printf(formats->blankError, current, nominal);
        break;
    case ROW_ORDINARY:
        printf(formats->ordinary, current, deviation, nominal);
        break;
    case ROW_ERROR:
        printf(formats->error, current, deviation, nominal);
        break;
    }
}

} // namespace

SensorRow chooseRow(double current, double nominal, double *deviation) {
    if (nominal == 0.0) {
        return ROW_BLANK_ERROR;
    }
    *deviation = fabs(current - nominal) / nominal * kPercent;
    // Written so that a NaN deviation fails the test and stays ordinary.
    return *deviation >= SENSOR_ERROR_THRESHOLD ? ROW_ERROR : ROW_ORDINARY;
}

void printBoardLine(void) {
    KEL_BoardInfo info;
    memset(&info, 0, sizeof info);
    info.size = sizeof info;
    KEL_getInfo(static_cast<uint32_t>(g_chosenLid), &info);
    // The name need not end in a NUL within its field.
    printf("%.*s, DevID = 0x%x, RevID = 0x%x, Bus = %d, Dev = %d, Slot = %d, PID = %d.\n",
           KEL_BOARD_NAME_SIZE, info.name, info.boardType >> 16, info.boardType & 0xFFu,
           static_cast<int>(info.bus), static_cast<int>(info.deviceNumber),
           static_cast<int>(info.slot), static_cast<int>(info.pid));
}

void printSensorTable(void) {
    if (g_flags.isMon) {
        platClearScreen();
    }
    printBoardLine();
    if (g_flags.temperature) {
        printf("LOG:\n");
        printf("LOG:\tTemp: %7.3f C (max %.3f,min %.3f)\n", g_readings.temperature.current,
               g_readings.temperature.maximum, g_readings.temperature.minimum);
    }
    printf("LOG:\n");
    printf("LOG:\t|        | current, V | error, %% | nominal, V | max, V | min, V |\n");
    if (g_flags.vccInt) {
        printRangeRow(&kVccIntRow, &g_readings.vccInt, g_readings.nominal.vccInt);
    }
    if (g_flags.vccAux) {
        printRangeRow(&kVccAuxRow, &g_readings.vccAux, g_readings.nominal.vccAux);
    }
    printValueRow(&kVrefNRow, g_readings.vrefN, g_readings.nominal.vrefN);
    if (g_flags.vrefP) {
        printValueRow(&kVrefPRow, g_readings.vrefP, g_readings.nominal.vrefP);
    }
    printf("LOG:\n");
    if (g_flags.isMon) {
        printf("LOG: Для остановки наблюдения нажмите клавишу Esc... \n");
    }
}
