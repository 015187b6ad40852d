// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <locale.h>
#include <stdio.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "../../../monitor/program_values.h"
#include "../../../monitor/reading_log.h"
#include "../temp_directory.h"

namespace {

const PlatLocalTime kNoon = {2026, 3, 1, 12, 5, 9, 7, 60};

std::string fileText(const char *path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

class ReadingLog : public InTempDirectory {
protected:
    void SetUp() override {
        InTempDirectory::SetUp();
        g_flags = MonitorFlags{1, 1, 1, 1, 0};
        g_readings = ReadingSet{};
        g_readings.nominal = NominalVoltages{1.0, 1.8, 1.25, 0.0};
        g_readings.temperature.current = 41.5;
        g_readings.vccInt.current = 1.0004;
        g_readings.vccAux.current = 1.7996;
        g_readings.vrefP = 1.249;
        g_readings.vrefN = 0.0015;
    }
    void TearDown() override {
        closeReadingLog();
        g_logFile.clear();
        InTempDirectory::TearDown();
    }
};

TEST(LogTime, IsoWithMillisecondsAndTheZoneOffset) {
    EXPECT_EQ(logTimeText(kNoon), "2026-03-01T12:05:09.007+01:00");
    EXPECT_EQ(logTimeText({1999, 12, 31, 23, 59, 59, 999, -570}), "1999-12-31T23:59:59.999-09:30");
    EXPECT_EQ(logTimeText({2026, 1, 2, 0, 0, 0, 0, 0}), "2026-01-02T00:00:00.000+00:00");
}

TEST_F(ReadingLog, ARowHoldsTheValuesAsTheTableShowsThem) {
    EXPECT_EQ(readingRow(kNoon, LOG_COLUMNS_CURRENT),
              "2026-03-01T12:05:09.007+01:00,41.500,1.000,1.800,1.249,0.002,,\n");
}

TEST_F(ReadingLog, OutOfToleranceNamesTheErrorRowsInColumnOrder) {
    g_readings.vccInt.current = 1.06;
    g_readings.vccAux.current = 1.5;
    g_readings.vrefP = 1.3125; // exactly 5 %
    g_readings.vrefN = 0.5;    // nominal 0: never an error row
    EXPECT_EQ(
        readingRow(kNoon, LOG_COLUMNS_CURRENT),
        "2026-03-01T12:05:09.007+01:00,41.500,1.060,1.500,1.312,0.500,vccint;vccaux;vrefp,\n");
    g_flags.vccAux = 0; // a row not shown is not marked
    EXPECT_EQ(readingRow(kNoon, LOG_COLUMNS_CURRENT),
              "2026-03-01T12:05:09.007+01:00,41.500,1.060,,1.312,0.500,vccint;vrefp,\n");
}

// The table shows a failed read's stale value; the log must not, or a
// dropped server looks like an excursion in a soak log.
TEST_F(ReadingLog, AFailedReadIsAnEmptyCellNamedWithItsStatus) {
    g_readings.vccInt.current = 1.06; // stale, and out of tolerance: not marked
    g_readings.status.temperature = static_cast<int32_t>(0xC0000120u);
    g_readings.status.vccInt = static_cast<int32_t>(0xC0000120u);
    g_readings.status.vrefN = static_cast<int32_t>(0xC005010Au); // as returned
    g_readings.status.vccAux = 0x00070000;                       // bits 16 to 18: read
    g_flags.vrefP = 0;
    g_readings.status.vrefP = -1; // not read this pass: its flag is off
    EXPECT_EQ(readingRow(kNoon, LOG_COLUMNS_CURRENT),
              "2026-03-01T12:05:09.007+01:00,,,1.800,,,,"
              "temperature:0xC0000120;vccint:0xC0000120;vrefn:0xC005010A\n");
    EXPECT_EQ(readingRow(kNoon, LOG_COLUMNS_EARLIER), "2026-03-01T12:05:09.007+01:00,,,1.800,,,\n");
}

TEST_F(ReadingLog, ADecimalPointWhateverTheNumericLocale) {
    const char *set = nullptr;
    for (const char *name : {"de_DE.UTF-8", "ru_RU.UTF-8", "German", "Russian"}) {
        if (set == nullptr) {
            set = setlocale(LC_NUMERIC, name);
        }
    }
    if (set == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma on this system";
    }
    const std::string row = readingRow(kNoon, LOG_COLUMNS_CURRENT);
    setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(row, "2026-03-01T12:05:09.007+01:00,41.500,1.000,1.800,1.249,0.002,,\n");
}

// New files and appending are end-to-end scenarios; an empty file is new.
TEST_F(ReadingLog, AnEmptyFileGetsTheHeader) {
    write("empty.csv", "");
    g_logFile = "empty.csv";
    openReadingLog();
    closeReadingLog();
    EXPECT_EQ(fileText("empty.csv"), READING_LOG_HEADER);
}

// Its readers know seven columns: the rows go on in them.
TEST_F(ReadingLog, ALogWithTheEarlierHeaderKeepsItsColumns) {
    const std::string earlier = READING_LOG_EARLIER_HEADER "2026-03-01T08:00:00.000+01:00,"
                                                           "41.500,1.002,1.797,1.249,0.001,\n";
    write("earlier.csv", earlier);
    write("current.csv", READING_LOG_HEADER);
    g_readings.status.vccInt = static_cast<int32_t>(0xC000010Au);
    for (const char *name : {"earlier.csv", "current.csv"}) {
        g_logFile = name;
        openReadingLog();
        logReadings();
        closeReadingLog();
    }
    const std::string earlierRows = fileText("earlier.csv");
    EXPECT_EQ(earlierRows.substr(0, earlier.size()), earlier);
    EXPECT_EQ(earlierRows.substr(earlier.size() + 29), ",41.500,,1.800,1.249,0.002,\n");
    const std::string currentRows = fileText("current.csv");
    EXPECT_EQ(currentRows.substr(sizeof READING_LOG_HEADER - 1 + 29),
              ",41.500,,1.800,1.249,0.002,,vccint:0xC000010A\n");
}

TEST_F(ReadingLog, EveryRowIsOnDiskBeforeTheNextTable) {
    g_logFile = "flushed.csv";
    openReadingLog();
    logReadings();
    // Read while the log is still open: a killed run keeps what is here.
    const std::string text = fileText("flushed.csv");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
}

TEST_F(ReadingLog, AnUnopenableLogIsOneLineAndTheMonitorGoesOn) {
    g_logFile = "missing/log.csv";
    testing::internal::CaptureStderr();
    openReadingLog();
    logReadings();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "demo_sensors: can't open log file 'missing/log.csv'; the readings are not logged\n");
    g_logFile = std::string(300, 'x');
    testing::internal::CaptureStderr();
    openReadingLog();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "demo_sensors: the path of log file '" +
                                                          g_logFile +
                                                          "' is longer than 259 characters\n");
}

#if !defined(_WIN32)
// A full disk: reported once, then no more writes are tried.
TEST_F(ReadingLog, AFailedWriteIsReportedOnceAndLoggingStops) {
    FILE *full = fopen("/dev/full", "w");
    if (full == nullptr) {
        GTEST_SKIP() << "no /dev/full";
    }
    testing::internal::CaptureStderr();
    attachReadingLog(full, "full.csv", LOG_COLUMNS_CURRENT);
    logReadings();
    logReadings();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "demo_sensors: can't write log file 'full.csv'; the readings are not logged\n");
}
#endif

} // namespace
