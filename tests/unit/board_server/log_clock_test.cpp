// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The time at the head of a log line: one fixed width layout whatever the
// zone, so that logs sort and cut by column.
#include <gtest/gtest.h>

#include "log_clock.h"

namespace {

PlatLocalTime at(int offsetMinutes, int millisecond) {
    PlatLocalTime time{};
    time.year = 2026;
    time.month = 3;
    time.day = 9;
    time.hour = 7;
    time.minute = 5;
    time.second = 1;
    time.millisecond = millisecond;
    time.offsetMinutes = offsetMinutes;
    return time;
}

TEST(LogClock, ZonesEastWestAndOfPartHoursKeepOneLayout) {
    EXPECT_EQ(logTimeText(at(60, 123)), "2026-03-09T07:05:01.123+01:00");
    EXPECT_EQ(logTimeText(at(0, 0)), "2026-03-09T07:05:01.000+00:00");
    // West of UTC, and a zone whose offset is not whole hours: the sign
    // belongs to the whole offset, not only to its hours.
    EXPECT_EQ(logTimeText(at(-210, 7)), "2026-03-09T07:05:01.007-03:30");
    EXPECT_EQ(logTimeText(at(-30, 999)), "2026-03-09T07:05:01.999-00:30");
    EXPECT_EQ(logTimeText(at(345, 50)), "2026-03-09T07:05:01.050+05:45");
}

TEST(LogClock, LineIsTheTimeThenTheProgramUnlessUntimed) {
    EXPECT_EQ(timedLogLine("stopped", false), "kel_server: stopped");
    const std::string timed = timedLogLine("stopped", true);
    ASSERT_EQ(timed.size(), 29 + std::string(" kel_server: stopped").size()) << timed;
    EXPECT_EQ(timed.substr(29), " kel_server: stopped");
    EXPECT_EQ(timed[10], 'T');
    EXPECT_EQ(timed[19], '.');
}

} // namespace
