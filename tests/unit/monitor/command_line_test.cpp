// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "../../../monitor/command_line.h"
#include "../../../monitor/program_values.h"
#include "../argument_list.h"
#include "filesystem.h"
#include "kel_api.h"

namespace {

class SensorCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        g_wantedLid = MONITOR_FIRST_LISTED;
        g_wantedUnit = MONITOR_FIRST_LISTED;
        strcpy(g_kelConfig, KEL_CONFIG_FILE);
        g_optionFile = nullptr;
    }
    // Runs the parser on a command line given without the program name;
    // g_optionFile points into the last one.
    int parse(std::vector<std::string> words) {
        arguments_ = std::make_unique<ArgumentList>("demo_sensors", std::move(words));
        return parseSensorCommandLine(arguments_->argc(), arguments_->argv());
    }
    std::unique_ptr<ArgumentList> arguments_;
};

TEST_F(SensorCommandLine, NumbersReadAsDemoSgenReadsLids) {
    EXPECT_EQ(parse({"-lid0x12", "-pu0401"}), SENSOR_COMMAND_LINE_OK);
    EXPECT_EQ(g_wantedLid, 0x12);
    EXPECT_EQ(g_wantedUnit, 0x101);
    EXPECT_EQ(parse({"-lid-1", "-pu-1"}), SENSOR_COMMAND_LINE_OK);
    EXPECT_EQ(g_wantedLid, MONITOR_FIRST_LISTED);
    EXPECT_EQ(g_wantedUnit, MONITOR_FIRST_LISTED);
}

TEST_F(SensorCommandLine, AnyOrderAndTheLastOfARepeatedOptionWins) {
    EXPECT_EQ(parse({"-fa.ini", "-lid3", "-keldirconf", "-pu0x100", "-lid4", "-fb.ini"}),
              SENSOR_COMMAND_LINE_OK);
    EXPECT_EQ(g_wantedLid, 4);
    EXPECT_EQ(g_wantedUnit, 0x100);
    EXPECT_EQ(std::string(g_kelConfig), platJoinPath("conf", "kel.ini"));
    EXPECT_STREQ(g_optionFile, "b.ini");
}

// "-lid 2" used to be ignored whole and the first board opened; "-f t.ini"
// named the option file ''.
TEST_F(SensorCommandLine, ANumberOptionWithoutItsValueIsRefused) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(parse({"-lid", "2"}), SENSOR_COMMAND_LINE_NO_VALUE);
    EXPECT_EQ(parse({"-pu"}), SENSOR_COMMAND_LINE_NO_VALUE);
    EXPECT_EQ(parse({"-f", "t.ini"}), SENSOR_COMMAND_LINE_NO_VALUE);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR: Option -lid needs its value attached: -lid<lid>\n"
              "ERROR: Option -pu needs its value attached: -pu<puid>\n"
              "ERROR: Option -f needs its value attached: -f<file>\n");
    EXPECT_EQ(g_optionFile, nullptr);
}

TEST_F(SensorCommandLine, KelDirEmptyOrAtTheLimit) {
    EXPECT_EQ(parse({"-keldirconf", "-keldir"}), SENSOR_COMMAND_LINE_OK);
    EXPECT_STREQ(g_kelConfig, "kel.ini");
    // 251 + separator + 7 = 259 characters: the longest path taken.
    const std::string fits(251, 'd');
    EXPECT_EQ(parse({"-keldir" + fits}), SENSOR_COMMAND_LINE_OK);
    EXPECT_EQ(strlen(g_kelConfig), 259u);
    testing::internal::CaptureStderr();
    EXPECT_EQ(parse({"-keldir" + fits + "d"}), SENSOR_COMMAND_LINE_PATH_TOO_LONG);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "demo_sensors: the directory '" + fits +
                  "d' and kel.ini make a path longer than 259 characters\n");
    EXPECT_EQ(strlen(g_kelConfig), 259u); // the refused path was not taken
}

} // namespace
