// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The failure line of a control call: the status is named after masking
// out bits 16 to 18, and every status without a name reads as unknown.
#include <gtest/gtest.h>

#include <stdint.h>

#include <string>

#include "../../../synth/status_report.h"

namespace {

std::string lineFor(int32_t status, const char *name = "KELctrl_BASEF_SETSWITCH") {
    char line[SGEN_STATUS_LINE_SIZE];
    return formatStatusLine(line, sizeof line, name, status);
}

int32_t word(uint32_t bits) { return static_cast<int32_t>(bits); }

TEST(StatusReport, NamesEachKnownStatus) {
    EXPECT_EQ(lineFor(0), "KELctrl_BASEF_SETSWITCH: KELerr_OK\n");
    EXPECT_EQ(lineFor(word(0xC000010Au)), "KELctrl_BASEF_SETSWITCH: KELerr_BAD_MODE\n");
    EXPECT_EQ(lineFor(word(0xC000010Bu)),
              "KELctrl_BASEF_SETSWITCH: KELerr_INSUFFICIENT_SERVICES\n");
    EXPECT_EQ(lineFor(0x1800, "KELctrl_DDS_SETMASTER"),
              "KELctrl_DDS_SETMASTER: KELerr_DDS_INVALID_WRRDREG\n");
}

TEST(StatusReport, InformationBitsDoNotChangeTheName) {
    EXPECT_EQ(lineFor(word(0xC005010Au)), "KELctrl_BASEF_SETSWITCH: KELerr_BAD_MODE\n");
    for (uint32_t bits = 0x10000u; bits <= 0x70000u; bits += 0x10000u) {
        EXPECT_EQ(lineFor(word(0x1800u | bits)),
                  "KELctrl_BASEF_SETSWITCH: KELerr_DDS_INVALID_WRRDREG\n")
            << std::hex << bits;
    }
    EXPECT_EQ(lineFor(word(0xC007010Bu)),
              "KELctrl_BASEF_SETSWITCH: KELerr_INSUFFICIENT_SERVICES\n");
    // Bits 16 to 18 alone carry no failure: they read as success.
    EXPECT_EQ(lineFor(0x70000), "KELctrl_BASEF_SETSWITCH: KELerr_OK\n");
}

TEST(StatusReport, BitsOutsideTheMaskedRangeMakeAnUnknownStatus) {
    EXPECT_EQ(lineFor(word(0x80000001u)), "KELctrl_BASEF_SETSWITCH: Unknown error\n");
    // Bit 19 lies just past the information bits: it is not masked away.
    EXPECT_EQ(lineFor(word(0xC008010Au)), "KELctrl_BASEF_SETSWITCH: Unknown error\n");
    EXPECT_EQ(lineFor(0x1801), "KELctrl_BASEF_SETSWITCH: Unknown error\n");
    EXPECT_EQ(lineFor(-1), "KELctrl_BASEF_SETSWITCH: Unknown error\n");
}

// Guards against a name longer than the line overrunning its buffer.
TEST(StatusReport, CutsALineThatDoesNotFitItsBuffer) {
    const std::string longName(400, 'N');
    EXPECT_EQ(lineFor(0, longName.c_str()), std::string(SGEN_STATUS_LINE_SIZE - 1, 'N'));
    char small[8];
    EXPECT_STREQ(formatStatusLine(small, sizeof small, "KELctrl_DDS_START", 0), "KELctrl");
}

TEST(StatusReport, PrintsTheLineOnStandardOutput) {
    testing::internal::CaptureStdout();
    reportStatus("KELctrl_DDS_START", word(0xC004010Au));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "KELctrl_DDS_START: KELerr_BAD_MODE\n");
}

} // namespace
