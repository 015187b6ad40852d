// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "../../../monitor/device_sequence.h"
#include "../../../monitor/program_values.h"
#include "../../../monitor/startup.h"
#include "../temp_directory.h"
#include "kel_api.h"

namespace {

TEST(UnitWarning, OnlyIdsFrom0x100To0x1FFWithoutBit3AreQuiet) {
    EXPECT_FALSE(unitNeedsWarning(0x100, 0));
    EXPECT_FALSE(unitNeedsWarning(0x1FF, 0));
    EXPECT_FALSE(unitNeedsWarning(0x150, 0xF7)); // every bit but 3
    EXPECT_TRUE(unitNeedsWarning(0xFF, 0));
    EXPECT_TRUE(unitNeedsWarning(0x200, 0));
    EXPECT_TRUE(unitNeedsWarning(0x100, 0x8));
    EXPECT_TRUE(unitNeedsWarning(0xFFFFFFFFu, 0));
}

TEST(UnitListBytes, IsTheCountTimesTheEntrySize) {
    size_t bytes = 0;
    ASSERT_TRUE(unitListBytes(3, &bytes));
    EXPECT_EQ(bytes, 3 * sizeof(KEL_PuEntry));
    if (sizeof(size_t) > 4) {
        ASSERT_TRUE(unitListBytes(0xFFFFFFFFu, &bytes));
        EXPECT_EQ(bytes, 0xFFFFFFFFull * 140u);
    } else {
        // A 32-bit size would wrap to a small buffer.
        EXPECT_FALSE(unitListBytes(0xFFFFFFFFu, &bytes));
    }
}

TEST(HelpRequest, IsOneArgumentContainingMinusHelp) {
    char program[] = "demo_sensors", help[] = "-help", inWord[] = "x-helpy", other[] = "-hel";
    char *alone[] = {program, help, nullptr};
    char *withinWord[] = {program, inWord, nullptr};
    char *twoArguments[] = {program, help, help, nullptr};
    char *near[] = {program, other, nullptr};
    char *none[] = {program, nullptr};
    EXPECT_TRUE(isHelpRequest(2, alone));
    EXPECT_TRUE(isHelpRequest(2, withinWord));
    EXPECT_FALSE(isHelpRequest(3, twoArguments));
    EXPECT_FALSE(isHelpRequest(2, near));
    EXPECT_FALSE(isHelpRequest(1, none));
}

#if !defined(_WIN32)

class UnitCheck : public InTempDirectory {};

// Runs in a child: opens board 1, limits the address space (without a limit
// a 600 GB request may be granted lazily) and checks its first unit, with
// standard output sent to standard error.
void checkUnitsUnderAddressLimit() {
    int32_t boards = 0;
    if (KEL_init("kel.ini", &boards) < 0) {
        _exit(3);
    }
    g_device = KEL_open(1, KEL_MODE_SHARED, nullptr);
    const rlim_t limit = rlim_t(1) << 31;
    struct rlimit space;
    space.rlim_cur = limit;
    space.rlim_max = limit;
    setrlimit(RLIMIT_AS, &space);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    const bool goesOn = checkProgrammableUnit() == UNIT_GO_ON;
    fflush(stdout);
    _exit(goesOn ? 0 : 4);
}

// A unit count whose list cannot be allocated must take the memory message,
// not crash or read an unallocated list.
TEST_F(UnitCheck, AnUnallocatableUnitListGoesOnWithTheMemoryMessage) {
    write("kel.ini", "[board 1]\nunit_count = 0xFFFFFFFF\n[board 1 unit 0]\nid = 0x100\n");
    EXPECT_EXIT(checkUnitsUnderAddressLimit(), ::testing::ExitedWithCode(0),
                "^ERROR: No Enough Memory\n\n$");
}

#endif

} // namespace
