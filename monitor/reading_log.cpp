// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "reading_log.h"

#include <locale.h>
#include <stdlib.h>
#include <string.h>

#include "filesystem.h"
#include "kel_api.h"
#include "path_limit.h"
#include "program_values.h"
#include "sensor_table.h"

namespace {

FILE *g_log = nullptr;
std::string g_logName;
ReadingLogColumns g_logColumns = LOG_COLUMNS_CURRENT;

// The table's "%.3f", with a point even where the numeric locale would
// print a comma.
std::string readingText(double value) {
    char text[512]; // room for the widest double in fixed notation
    snprintf(text, sizeof text, "%.3f", value);
    std::string result = text;
    const char *point = localeconv()->decimal_point;
    const size_t pointLength = point != nullptr ? strlen(point) : 0;
    if (pointLength > 0 && strcmp(point, ".") != 0) {
        const size_t at = result.find(point);
        if (at != std::string::npos) {
            result.replace(at, pointLength, ".");
        }
    }
    return result;
}

// One reading as a cell of the row: empty when its flag leaves it out or
// its read failed; a failed read is named in failed_reads instead.
struct LoggedReading {
    const char *name; // as out_of_tolerance and failed_reads name it
    bool shown;
    double current;
    int32_t status;
};

struct LoggedVoltage {
    LoggedReading reading;
    double nominal;
};

// Appends the cell and, for a failed read, its entry in failedReads; true
// when the cell holds a reading.
bool appendCell(const LoggedReading &reading, std::string *row, std::string *failedReads) {
    *row += ",";
    if (!reading.shown) {
        return false;
    }
    if (KEL_FAILED(reading.status)) {
        char status[16];
        snprintf(status, sizeof status, "0x%08X", static_cast<uint32_t>(reading.status));
        *failedReads +=
            (failedReads->empty() ? "" : ";") + std::string(reading.name) + ":" + status;
        return false;
    }
    *row += readingText(reading.current);
    return true;
}

void stopLogging() {
    if (g_log != nullptr) {
        fclose(g_log);
        g_log = nullptr;
    }
}

} // namespace

std::string logTimeText(const PlatLocalTime &time) {
    const int offset = time.offsetMinutes < 0 ? -time.offsetMinutes : time.offsetMinutes;
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", time.year,
             time.month, time.day, time.hour, time.minute, time.second, time.millisecond,
             time.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

std::string readingRow(const PlatLocalTime &time, ReadingLogColumns columns) {
    const ReadStatuses &status = g_readings.status;
    const LoggedReading temperature = {"temperature", g_flags.temperature != 0,
                                       g_readings.temperature.current, status.temperature};
    const LoggedVoltage voltages[] = {
        {{"vccint", g_flags.vccInt != 0, g_readings.vccInt.current, status.vccInt},
         g_readings.nominal.vccInt},
        {{"vccaux", g_flags.vccAux != 0, g_readings.vccAux.current, status.vccAux},
         g_readings.nominal.vccAux},
        {{"vrefp", g_flags.vrefP != 0, g_readings.vrefP, status.vrefP}, g_readings.nominal.vrefP},
        {{"vrefn", true, g_readings.vrefN, status.vrefN}, g_readings.nominal.vrefN},
    };
    std::string row = logTimeText(time);
    std::string failedReads;
    appendCell(temperature, &row, &failedReads);
    std::string outOfTolerance;
    for (const LoggedVoltage &voltage : voltages) {
        // A value that was not read is never out of tolerance either.
        if (!appendCell(voltage.reading, &row, &failedReads)) {
            continue;
        }
        double deviation = 0.0;
        if (chooseRow(voltage.reading.current, voltage.nominal, &deviation) == ROW_ERROR) {
            outOfTolerance +=
                (outOfTolerance.empty() ? "" : ";") + std::string(voltage.reading.name);
        }
    }
    row += "," + outOfTolerance;
    if (columns == LOG_COLUMNS_CURRENT) {
        row += "," + failedReads;
    }
    return row + "\n";
}

ReadingLogColumns readingLogColumns(const char *path) {
    FILE *file = fopen(path, "rb");
    if (file == nullptr) {
        return LOG_COLUMNS_CURRENT;
    }
    char line[sizeof READING_LOG_HEADER + 1];
    const bool read = fgets(line, sizeof line, file) != nullptr;
    fclose(file);
    return read && strcmp(line, READING_LOG_EARLIER_HEADER) == 0 ? LOG_COLUMNS_EARLIER
                                                                 : LOG_COLUMNS_CURRENT;
}

void attachReadingLog(FILE *file, const char *name, ReadingLogColumns columns) {
    stopLogging();
    g_log = file;
    g_logName = name;
    // A file that already holds rows goes on without a second header, in
    // the columns of its header.
    if (fseek(g_log, 0, SEEK_END) != 0 || ftell(g_log) != 0) {
        g_logColumns = columns;
        return;
    }
    g_logColumns = LOG_COLUMNS_CURRENT;
    if (fputs(READING_LOG_HEADER, g_log) < 0 || fflush(g_log) != 0) {
        fprintf(stderr, "demo_sensors: can't write log file '%s'; the readings are not logged\n",
                g_logName.c_str());
        stopLogging();
    }
}

void openReadingLog(void) {
    if (g_logFile.empty()) {
        return;
    }
    if (!pathFits(g_logFile.size())) {
        const std::string subject = "the path of log file '" + g_logFile + "'";
        refuseLongPath("demo_sensors", subject.c_str());
        return;
    }
    FILE *file = platOpenAppendFile(g_logFile.c_str());
    if (file == nullptr) {
        fprintf(stderr, "demo_sensors: can't open log file '%s'; the readings are not logged\n",
                g_logFile.c_str());
        return;
    }
    attachReadingLog(file, g_logFile.c_str(), readingLogColumns(g_logFile.c_str()));
}

void logReadings(void) {
    if (g_log == nullptr) {
        return;
    }
    PlatLocalTime now;
    platLocalTimeNow(&now);
    const std::string row = readingRow(now, g_logColumns);
    if (fputs(row.c_str(), g_log) < 0 || fflush(g_log) != 0) {
        fprintf(stderr,
                "demo_sensors: can't write log file '%s'; the readings are no longer logged\n",
                g_logName.c_str());
        stopLogging();
    }
}

void closeReadingLog(void) { stopLogging(); }
