// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <set>

#include "kel_status.h"
#include "kel_sysmon.h"
#include "sysmon_reading.h"

namespace {

// A system monitor whose calls for the codes in failing fail; every reading
// it gives is its code's number over a thousand.
SysmonControl monitorFailing(const std::set<uint32_t> &failing) {
    return [failing](uint32_t code, void *record) -> int32_t {
        if (failing.count(code) != 0) {
            return static_cast<int32_t>(0xC0000120u);
        }
        const double value = code / 1000.0;
        if (code == KELctrl_SYSMON_GETNOMINALS) {
            *static_cast<NominalVoltages *>(record) = {1.0, 1.8, 1.25, 0.0};
        } else if (code == KELctrl_SYSMON_GETVREFP || code == KELctrl_SYSMON_GETVREFN) {
            *static_cast<double *>(record) = value;
        } else {
            *static_cast<SensorReading *>(record) = {value, 0.0, 0.0};
        }
        // A warning status still delivers a reading.
        return static_cast<int32_t>(0x00070000u);
    };
}

TEST(SysmonReading, EachSensorFromItsOwnCall) {
    BoardReadings board;
    readBoardSensors(monitorFailing({}), &board);
    EXPECT_EQ(board.temperatureCelsius, 0x900 / 1000.0);
    EXPECT_EQ(board.voltageVolts[RAIL_VCCINT], 0x901 / 1000.0);
    EXPECT_EQ(board.voltageVolts[RAIL_VCCAUX], 0x902 / 1000.0);
    EXPECT_EQ(board.voltageVolts[RAIL_VREFP], 0x903 / 1000.0);
    EXPECT_EQ(board.voltageVolts[RAIL_VREFN], 0x904 / 1000.0);
    EXPECT_EQ(board.nominalVolts[RAIL_VCCAUX], 1.8);
    EXPECT_EQ(board.nominalVolts[RAIL_VREFN], 0.0);
    EXPECT_EQ(board.readFailures, 0u);
}

// A failed read is absent, not the record's zero nor the last pass's value,
// and each failed call is counted once.
TEST(SysmonReading, AFailedReadIsLeftOutAndCounted) {
    BoardReadings board;
    readBoardSensors(monitorFailing({}), &board);
    readBoardSensors(monitorFailing({KELctrl_SYSMON_GETTEMP, KELctrl_SYSMON_GETVREFN,
                                     KELctrl_SYSMON_GETNOMINALS}),
                     &board);
    EXPECT_FALSE(board.temperatureCelsius.has_value());
    EXPECT_FALSE(board.voltageVolts[RAIL_VREFN].has_value());
    EXPECT_TRUE(board.voltageVolts[RAIL_VCCINT].has_value());
    for (const auto &nominal : board.nominalVolts) {
        EXPECT_FALSE(nominal.has_value());
    }
    EXPECT_EQ(board.readFailures, 3u);
    readBoardSensors(monitorFailing({KELctrl_SYSMON_GETVCCAUX}), &board);
    EXPECT_TRUE(board.temperatureCelsius.has_value());
    EXPECT_EQ(board.readFailures, 4u); // since the start, not per pass
}

} // namespace
