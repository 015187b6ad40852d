// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <math.h>

#include "../../../monitor/sensor_table.h"

namespace {

SensorRow rowOf(double current, double nominal, double *deviation = nullptr) {
    double unused = -1.0;
    return chooseRow(current, nominal, deviation ? deviation : &unused);
}

TEST(RowChoice, FivePercentOrMoreIsAnError) {
    double deviation = 0.0;
    EXPECT_EQ(rowOf(1.06, 1.0, &deviation), ROW_ERROR);
    EXPECT_NEAR(deviation, 6.0, 1e-9);
    EXPECT_EQ(rowOf(0.94, 1.0), ROW_ERROR);  // below nominal counts the same
    EXPECT_EQ(rowOf(10.5, 10.0), ROW_ERROR); // exactly 5.0
    EXPECT_EQ(rowOf(INFINITY, 1.0), ROW_ERROR);
}

TEST(RowChoice, BelowFivePercentIsOrdinary) {
    double deviation = 0.0;
    EXPECT_EQ(rowOf(1.04, 1.0, &deviation), ROW_ORDINARY);
    EXPECT_NEAR(deviation, 4.0, 1e-9);
    // 4.99 is shown as 5.0 but stays below the threshold.
    EXPECT_EQ(rowOf(10.499, 10.0, &deviation), ROW_ORDINARY);
    EXPECT_NEAR(deviation, 4.99, 1e-9);
    EXPECT_EQ(rowOf(1.0, 1.0, &deviation), ROW_ORDINARY);
    EXPECT_EQ(deviation, 0.0);
}

TEST(RowChoice, ZeroNominalLeavesTheDeviationBlank) {
    double deviation = 123.0;
    EXPECT_EQ(rowOf(3.0, 0.0, &deviation), ROW_BLANK_ERROR);
    EXPECT_EQ(deviation, 123.0);
    EXPECT_EQ(rowOf(3.0, -0.0), ROW_BLANK_ERROR);
    EXPECT_EQ(rowOf(NAN, 0.0), ROW_BLANK_ERROR);
}

TEST(RowChoice, NegativeNominalGivesANegativeDeviationAndTheOrdinaryRow) {
    double deviation = 0.0;
    EXPECT_EQ(rowOf(-1.5, -1.0, &deviation), ROW_ORDINARY);
    EXPECT_NEAR(deviation, -50.0, 1e-9);
    EXPECT_EQ(rowOf(100.0, -1.0), ROW_ORDINARY);
}

TEST(RowChoice, NotANumberTakesTheOrdinaryRow) {
    double deviation = 0.0;
    EXPECT_EQ(rowOf(NAN, 1.0, &deviation), ROW_ORDINARY);
    EXPECT_TRUE(isnan(deviation));
    EXPECT_EQ(rowOf(1.0, NAN), ROW_ORDINARY);
}

} // namespace
