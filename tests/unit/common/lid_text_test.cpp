// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "lid_text.h"

namespace {

TEST(ConvertLid, FollowsTheUnsignedConversionRules) {
    EXPECT_EQ(convertLid("3"), 3u);
    EXPECT_EQ(convertLid("0x10"), 16u);
    EXPECT_EQ(convertLid("0X1f"), 31u);
    EXPECT_EQ(convertLid("010"), 8u);
    EXPECT_EQ(convertLid("  \t42"), 42u);
    EXPECT_EQ(convertLid("+7"), 7u);
    EXPECT_EQ(convertLid("12abc"), 12u);
    EXPECT_EQ(convertLid("019"), 1u); // 9 is no octal digit
    EXPECT_EQ(convertLid("0x"), 0u);  // no hex digit: the 0 alone converts
    EXPECT_EQ(convertLid("0xg"), 0u);
    EXPECT_EQ(convertLid("x"), 0u);
    EXPECT_EQ(convertLid(""), 0u);
    EXPECT_EQ(convertLid("- 5"), 0u); // no white space after the sign
}

TEST(ConvertLid, WrapsNegativeValuesAndSaturatesOverflow) {
    EXPECT_EQ(convertLid("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(convertLid("-2"), 0xFFFFFFFEu);
    EXPECT_EQ(convertLid("-0x10"), 0xFFFFFFF0u);
    EXPECT_EQ(convertLid("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(convertLid("4294967296"), 0xFFFFFFFFu);
    EXPECT_EQ(convertLid("99999999999"), 0xFFFFFFFFu);
    EXPECT_EQ(convertLid("0x123456789"), 0xFFFFFFFFu);
    EXPECT_EQ(convertLid("-99999999999"), 0xFFFFFFFFu);
    // Overflow must not wrap in a 64-bit accumulator either.
    EXPECT_EQ(convertLid("99999999999999999999999999"), 0xFFFFFFFFu);
}

} // namespace
