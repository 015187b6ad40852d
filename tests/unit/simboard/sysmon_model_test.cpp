// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The simulated SYSMON0 through the C entry points, as demo_sensors reads it.
#include <gtest/gtest.h>

#include <string>

#include "../temp_directory.h"
#include "kel_api.h"
#include "kel_sysmon.h"

namespace {

class SimulatedSysmon : public InTempDirectory {
protected:
    void TearDown() override {
        KEL_cleanup();
        InTempDirectory::TearDown();
    }
    int32_t start(const std::string &serviceKeys) {
        write("kel.ini", "[board 1]\n[board 1 service 0]\nname = SYSMON0\n" + serviceKeys);
        int32_t count = 0;
        return KEL_init("kel.ini", &count);
    }
    int32_t capture() {
        device_ = KEL_open(1, KEL_MODE_SHARED, nullptr);
        uint32_t mode = KEL_MODE_SHARED;
        return KEL_capture(device_, 0, &mode, "SYSMON0", 10000);
    }
    int32_t device_ = 0;
};

TEST_F(SimulatedSysmon, ReadingsMoveFromReadToReadWithTheirRangeKeptAcrossCaptures) {
    ASSERT_EQ(start(""), 0);
    int32_t service = capture();
    SensorReading reading = {};
    ASSERT_EQ(KEL_ctrl(service, 0, KELctrl_SYSMON_GETVCCINT, &reading), 0);
    EXPECT_DOUBLE_EQ(reading.current, 1.002);
    KEL_ctrl(service, 0, KELctrl_SYSMON_GETVCCINT, &reading);
    KEL_ctrl(service, 0, KELctrl_SYSMON_GETVCCINT, &reading);
    EXPECT_DOUBLE_EQ(reading.current, 1.004);
    EXPECT_DOUBLE_EQ(reading.minimum, 1.002);
    EXPECT_DOUBLE_EQ(reading.maximum, 1.004);

    KEL_release(service, 0);
    service = capture();
    for (int i = 0; i < 4; ++i) {
        KEL_ctrl(service, 0, KELctrl_SYSMON_GETVCCINT, &reading);
    }
    EXPECT_DOUBLE_EQ(reading.current, 1.000); // the seventh read, two steps down
    EXPECT_DOUBLE_EQ(reading.minimum, 1.000);
    EXPECT_DOUBLE_EQ(reading.maximum, 1.004);
}

// The scripted course of a soak demonstration: reads numbered from 1.
TEST_F(SimulatedSysmon, ACourseOfDriftStepsAndExcursions) {
    ASSERT_EQ(start("temperature = 40\ntemperature_drift = 0.5\ntemperature_drift_reads = 4\n"
                    "temperature_step = 3:1, 6:-2\n"
                    "temperature_excursion = 5:2:10\n"),
              0);
    const int32_t service = capture();
    const double expected[] = {40.0, 40.5, 42.0, 42.5, 53.0, 51.0, 41.0, 41.0};
    for (double value : expected) {
        SensorReading reading = {};
        KEL_ctrl(service, 0, KELctrl_SYSMON_GETTEMP, &reading);
        EXPECT_DOUBLE_EQ(reading.current, value);
    }
}

TEST_F(SimulatedSysmon, RefusesBadValuesAndUnknownCodes) {
    EXPECT_LT(start("vccint = 1.0V\n"), 0);
    EXPECT_LT(start("vccaux_writes = sometimes\n"), 0);
    EXPECT_LT(start("vccint_step = 0:0.1\n"), 0);         // reads start at 1
    EXPECT_LT(start("vccint_step = 5:1:0.1\n"), 0);       // a step has no count
    EXPECT_LT(start("vccint_excursion = 5:0.1\n"), 0);    // an excursion has one
    EXPECT_LT(start("vccint_excursion = 5:2:0.1,\n"), 0); // an empty entry
    EXPECT_LT(start("vccint_drift_reads = -3\n"), 0);
    ASSERT_EQ(start(""), 0);
    const int32_t service = capture();
    double value = 0.0;
    EXPECT_NE(KEL_ctrl(service, 0, 0x905, &value), 0);
    EXPECT_NE(KEL_ctrl(service, 0, KELctrl_SYSMON_GETVREFN, nullptr), 0);
}

} // namespace
