// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The readings log: with LogFile set, every table the monitor prints is
// also one CSV row appended to that file, written and flushed at once, so
// that a run ended any way keeps every row:
//   time,temperature_C,vccint_V,vccaux_V,vrefp_V,vrefn_V,out_of_tolerance,failed_reads
// The time is local, ISO 8601 with milliseconds and the zone's offset; each
// reading is the current value as the table shows it (three decimals, a
// decimal point whatever the locale), empty when the flags leave it out or
// its control call failed: a soak log must never show a value that was not
// read. out_of_tolerance names the rows the table marks as errors and
// failed_reads each failed read with its status (vccint:0xC0000120), both
// in column order joined by ';'. A log begun before failed_reads existed
// goes on in its own columns, so that its readers keep reading it. A log
// that cannot be opened or written is one line on standard error; the
// monitor goes on without it.
#ifndef MONITOR_READING_LOG_H
#define MONITOR_READING_LOG_H

#include <stdio.h>

#include <string>

#include "system.h"

#define READING_LOG_EARLIER_HEADER                                                                 \
    "time,temperature_C,vccint_V,vccaux_V,vrefp_V,vrefn_V,out_of_tolerance\n"
#define READING_LOG_HEADER                                                                         \
    "time,temperature_C,vccint_V,vccaux_V,vrefp_V,vrefn_V,out_of_tolerance,failed_reads\n"

enum ReadingLogColumns {
    LOG_COLUMNS_CURRENT, // READING_LOG_HEADER
    LOG_COLUMNS_EARLIER  // READING_LOG_EARLIER_HEADER: no failed_reads
};

// Opens g_logFile for appending, with the header row when it is new or
// empty; does nothing when LogFile is empty.
void openReadingLog(void);

// Takes an open file as the log (for tests, which also give files that
// fail to write); name is what the error line calls it, columns those of
// the rows it holds already (a new or empty file gets the current ones).
void attachReadingLog(FILE *file, const char *name, ReadingLogColumns columns);

// The columns of the log at path by its first line: the earlier ones only
// when that line is their header, so that any other file is never taken
// for an earlier log.
ReadingLogColumns readingLogColumns(const char *path);

// Appends the row of the table just printed, when a log is open.
void logReadings(void);

void closeReadingLog(void);

// 2026-01-31T23:59:59.123+01:00
std::string logTimeText(const PlatLocalTime &time);

// The row for g_readings and g_flags at that time, with its line end.
std::string readingRow(const PlatLocalTime &time, ReadingLogColumns columns);

#endif
