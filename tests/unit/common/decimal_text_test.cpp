// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <math.h>

#include "decimal_text.h"

namespace {

TEST(DecimalToInt32, ReadsTheNumericPrefix) {
    EXPECT_EQ(decimalToInt32("12abc"), 12);
    EXPECT_EQ(decimalToInt32("  \t-7"), -7);
    EXPECT_EQ(decimalToInt32("+8"), 8);
    EXPECT_EQ(decimalToInt32("yes"), 0);
    EXPECT_EQ(decimalToInt32(""), 0);
    EXPECT_EQ(decimalToInt32("0x10"), 0); // decimal only
    EXPECT_EQ(decimalToInt32("1.9"), 1);
}

// Guards against undefined overflow: every platform gives the same result.
TEST(DecimalToInt32, SaturatesAtTheRangeEnds) {
    EXPECT_EQ(decimalToInt32("2147483647"), 2147483647);
    EXPECT_EQ(decimalToInt32("2147483648"), 2147483647);
    EXPECT_EQ(decimalToInt32("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(decimalToInt32("-99999999999999999999"), -2147483647 - 1);
}

TEST(DecimalToDouble, ReadsDecimalForms) {
    EXPECT_EQ(decimalToDouble("1.5e8"), 1.5e8);
    EXPECT_EQ(decimalToDouble(" -2.25"), -2.25);
    EXPECT_EQ(decimalToDouble(".5"), 0.5);
    EXPECT_EQ(decimalToDouble("5."), 5.0);
    EXPECT_EQ(decimalToDouble("1e"), 1.0); // an exponent without digits is not taken
    EXPECT_EQ(decimalToDouble("2E+3x"), 2000.0);
    EXPECT_EQ(decimalToDouble("abc"), 0.0);
    EXPECT_EQ(decimalToDouble("."), 0.0);
}

// Guards against C libraries that read hex floats or infinity words differently.
TEST(DecimalToDouble, IgnoresNonDecimalForms) {
    EXPECT_EQ(decimalToDouble("0x10"), 0.0);
    EXPECT_EQ(decimalToDouble("inf"), 0.0);
    EXPECT_EQ(decimalToDouble("nan"), 0.0);
    EXPECT_TRUE(isinf(decimalToDouble("1e999")));
}

} // namespace
