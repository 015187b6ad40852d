// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "../../../monitor/monitor_flags.h"
#include "../../../monitor/program_values.h"
#include "../temp_directory.h"

namespace {

TEST(FlagFromText, KeepsTheLowEightBitsOfTheDecimalValue) {
    EXPECT_EQ(flagFromText("1"), 1);
    EXPECT_EQ(flagFromText("256"), 0); // IsMon=256 means a single pass
    EXPECT_EQ(flagFromText("257"), 1);
    EXPECT_EQ(flagFromText("-1"), 255);
    EXPECT_EQ(flagFromText("  12abc"), 12);
}

TEST(FlagFromText, TextWithoutDigitsIsOff) {
    EXPECT_EQ(flagFromText("yes"), 0);
    EXPECT_EQ(flagFromText(""), 0);
    EXPECT_EQ(flagFromText("on"), 0);
}

class MonitorFlagsFile : public InTempDirectory {};

TEST_F(MonitorFlagsFile, ReadsEveryKeyOfSectionOptionWithoutRegardToCase) {
    write("monitor-flags-a.ini", "[other]\nIsMon=1\n[OPTION]\ntemperature=1\nVCCINT=2\n"
                                 "VCCaux=256\nVrefp=yes\nIsMon=-1\n");
    g_flags = MonitorFlags{9, 9, 9, 9, 9};
    ASSERT_EQ(readMonitorFlags("monitor-flags-a.ini"), READ_FLAGS_OK);
    EXPECT_EQ(g_flags.temperature, 1);
    EXPECT_EQ(g_flags.vccInt, 2);
    EXPECT_EQ(g_flags.vccAux, 0);
    EXPECT_EQ(g_flags.vrefP, 0);
    EXPECT_EQ(g_flags.isMon, 255);
}

TEST_F(MonitorFlagsFile, MissingKeysAreOff) {
    write("monitor-flags-b.ini", "[Option]\nVCCint=1\n");
    g_flags = MonitorFlags{9, 9, 9, 9, 9};
    ASSERT_EQ(readMonitorFlags("monitor-flags-b.ini"), READ_FLAGS_OK);
    EXPECT_EQ(g_flags.temperature, 0);
    EXPECT_EQ(g_flags.vccInt, 1);
    EXPECT_EQ(g_flags.isMon, 0);
}

TEST_F(MonitorFlagsFile, NoFileLeavesEveryFlagAsItWas) {
    g_flags = MonitorFlags{1, 2, 3, 4, 5};
    EXPECT_EQ(readMonitorFlags("monitor-flags-absent.ini"), READ_FLAGS_NOT_FOUND);
    EXPECT_EQ(g_flags.temperature, 1);
    EXPECT_EQ(g_flags.isMon, 5);
}

// A found path longer than its buffer used to be read from an unset buffer.
TEST_F(MonitorFlagsFile, APathLongerThanItsBufferIsRefused) {
    std::filesystem::path deep = directory_;
    while (deep.string().size() < MONITOR_PATH_SIZE) {
        deep /= std::string(40, 'd');
    }
    std::filesystem::create_directories(deep);
    std::filesystem::current_path(deep);
    write("monitor-flags-c.ini", "[Option]\nIsMon=1\n");
    g_flags = MonitorFlags{};
    EXPECT_EQ(readMonitorFlags("monitor-flags-c.ini"), READ_FLAGS_PATH_TOO_LONG);
    EXPECT_EQ(g_flags.isMon, 0);
}

} // namespace
