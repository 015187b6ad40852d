// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The simulated clock switch (BASEFMC0) and synthesizer (BASEDDS0) through
// the library's C entry points: what they keep, what they refuse.
#include <gtest/gtest.h>

#include "../temp_directory.h"

#include <math.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "kel_api.h"
#include "kel_basedds.h"
#include "kel_basefmc.h"
#include "kel_status.h"

namespace {

namespace fs = std::filesystem;

const uint32_t kBadMode = KELerr_BAD_MODE;

class SwitchAndSynthesizer : public InTempDirectory {
protected:
    void TearDown() override {
        KEL_cleanup();
        InTempDirectory::TearDown();
    }
    // One board with both services; extra lines go into each section.
    int32_t start(const std::string &fmcLines = "", const std::string &ddsLines = "") {
        std::ofstream("kel.ini", std::ios::binary)
            << "[board 1]\n[board 1 service 0]\nname = BASEFMC0\n"
            << fmcLines << "[board 1 service 1]\nname = BASEDDS0\n"
            << ddsLines;
        return KEL_init("kel.ini", nullptr);
    }
    int32_t capture(const char *name, uint32_t mode = KEL_MODE_EXCLUSIVE) {
        if (device_ <= 0) {
            device_ = KEL_open(1, KEL_MODE_SHARED, nullptr);
        }
        return KEL_capture(device_, 0, &mode, name, 10000);
    }
    int32_t device_ = 0;
};

uint32_t ctrl(int32_t service, uint32_t code, void *record) {
    return static_cast<uint32_t>(KEL_ctrl(service, 0, code, record));
}

int32_t routedInput(int32_t fmc, int32_t output) {
    SwitchRoute route = {output, -99};
    EXPECT_EQ(ctrl(fmc, KELctrl_BASEF_GETSWITCH, &route), 0u);
    return route.input;
}

uint32_t setOutput(int32_t dds, double frequency) {
    DdsOutFreq output = {frequency, 1, 1};
    return ctrl(dds, KELctrl_DDS_SETOUTFREQ, &output);
}

uint32_t setReference(int32_t dds, uint32_t source, double frequency) {
    DdsClockMode clock = {source, frequency};
    return ctrl(dds, KELctrl_DDS_SETCLKMODE, &clock);
}

TEST_F(SwitchAndSynthesizer, SwitchReadsBackWhatWasRoutedAndKeepsItAcrossCaptures) {
    ASSERT_EQ(start(), 0);
    int32_t fmc = capture("BASEFMC0", KEL_MODE_SHARED);
    ASSERT_GT(fmc, 0);
    EXPECT_EQ(routedInput(fmc, 7), 0); // never routed: the power-up input
    SwitchRoute route = {7, 4};
    EXPECT_EQ(ctrl(fmc, KELctrl_BASEF_SETSWITCH, &route), 0u);
    route = {4, 2};
    EXPECT_EQ(ctrl(fmc, KELctrl_BASEF_SETSWITCH, &route), 0u);
    EXPECT_EQ(routedInput(fmc, 7), 4);
    EXPECT_EQ(routedInput(fmc, 4), 2);
    KEL_release(fmc, 0);
    fmc = capture("BASEFMC0", KEL_MODE_SHARED);
    EXPECT_EQ(routedInput(fmc, 7), 4);
}

TEST_F(SwitchAndSynthesizer, SwitchRefusesNumbersItDoesNotHaveAndKeepsTheRoute) {
    ASSERT_EQ(start("switch_outputs = 5\nswitch_inputs = 3\n"), 0);
    const int32_t fmc = capture("BASEFMC0");
    SwitchRoute route = {4, 2};
    ASSERT_EQ(ctrl(fmc, KELctrl_BASEF_SETSWITCH, &route), 0u);
    const SwitchRoute refused[] = {{5, 0}, {-1, 0}, {4, 3}, {4, -1}, {7, 4}};
    for (SwitchRoute bad : refused) {
        EXPECT_TRUE(KEL_FAILED(ctrl(fmc, KELctrl_BASEF_SETSWITCH, &bad)))
            << bad.output << " <- " << bad.input;
    }
    EXPECT_EQ(routedInput(fmc, 4), 2);
    route = {5, 0};
    EXPECT_TRUE(KEL_FAILED(ctrl(fmc, KELctrl_BASEF_GETSWITCH, &route)));
    EXPECT_EQ(route.input, 0); // a refused read-back writes nothing
    route = {5, 1};
    EXPECT_TRUE(KEL_FAILED(ctrl(fmc, KELctrl_BASEF_SWITCHONOFF, &route)));
    route = {4, 2};
    EXPECT_TRUE(KEL_FAILED(ctrl(fmc, KELctrl_BASEF_SWITCHONOFF, &route))); // on is 1, off 0
    route = {4, 1};
    EXPECT_EQ(ctrl(fmc, KELctrl_BASEF_SWITCHONOFF, &route), 0u);
}

TEST_F(SwitchAndSynthesizer, SwitchTakesOneClockModeFlagAtATime) {
    ASSERT_EQ(start(), 0);
    const int32_t fmc = capture("BASEFMC0");
    const FmcClockFlags accepted[] = {{0, 0}, {1, 0}, {0, 1}};
    for (FmcClockFlags flags : accepted) {
        EXPECT_EQ(ctrl(fmc, KELctrl_BASEF_SETCLKMODE, &flags), 0u);
    }
    const FmcClockFlags refused[] = {{1, 1}, {2, 0}, {0, 0xFFFFFFFFu}};
    for (FmcClockFlags flags : refused) {
        EXPECT_EQ(ctrl(fmc, KELctrl_BASEF_SETCLKMODE, &flags), kBadMode);
    }
}

TEST_F(SwitchAndSynthesizer, SpiesMayReadButNotChange) {
    ASSERT_EQ(start("granted_mode = spy\n", "granted_mode = spy\n"), 0);
    const int32_t fmc = capture("BASEFMC0");
    SwitchRoute route = {7, 4};
    EXPECT_EQ(ctrl(fmc, KELctrl_BASEF_SETSWITCH, &route), kBadMode);
    EXPECT_EQ(ctrl(fmc, KELctrl_BASEF_SWITCHONOFF, &route), kBadMode);
    FmcClockFlags flags = {1, 0};
    EXPECT_EQ(ctrl(fmc, KELctrl_BASEF_SETCLKMODE, &flags), kBadMode);
    EXPECT_EQ(routedInput(fmc, 7), 0);

    const int32_t dds = capture("BASEDDS0");
    uint32_t master = 1;
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_SETMASTER, &master), kBadMode);
    EXPECT_EQ(setReference(dds, 1, 1e9), kBadMode);
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_START, nullptr), kBadMode);
}

TEST_F(SwitchAndSynthesizer, OutputFrequencyReachesHalfTheReferenceAtMost) {
    ASSERT_EQ(start(), 0);
    const int32_t dds = capture("BASEDDS0");
    EXPECT_EQ(setOutput(dds, 1e6), kBadMode); // no reference yet
    ASSERT_EQ(setReference(dds, 1, 1e9), 0u);
    EXPECT_EQ(setOutput(dds, 5e8), 0u);
    EXPECT_EQ(setOutput(dds, nextafter(5e8, 1e9)), kBadMode);
    EXPECT_EQ(setOutput(dds, 0.0), kBadMode);
    EXPECT_EQ(setOutput(dds, -1e8), kBadMode);
    EXPECT_EQ(setOutput(dds, NAN), kBadMode);
    EXPECT_EQ(setOutput(dds, INFINITY), kBadMode);
    DdsOutFreq aux = {6e8, 1, 1};
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_OUTFREQ_AUX, &aux), kBadMode);
}

TEST_F(SwitchAndSynthesizer, RefusedClockModeKeepsTheReference) {
    ASSERT_EQ(start(), 0);
    const int32_t dds = capture("BASEDDS0");
    ASSERT_EQ(setReference(dds, 0, 1e9), 0u);
    EXPECT_EQ(setReference(dds, 0, 0.0), kBadMode);
    EXPECT_EQ(setReference(dds, 0, -1e9), kBadMode);
    EXPECT_EQ(setReference(dds, 0, NAN), kBadMode);
    EXPECT_EQ(setReference(dds, 2, 1e8), kBadMode);
    EXPECT_EQ(setOutput(dds, 4e8), 0u); // still judged against 1e9
    uint32_t master = 2;
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_SETMASTER, &master), kBadMode);
}

// Guards against the model reading the frequency in place, at offset 4 of a
// record that may itself sit at any address.
TEST_F(SwitchAndSynthesizer, ClockModeIsReadFromAnyAddress) {
    ASSERT_EQ(start(), 0);
    const int32_t dds = capture("BASEDDS0");
    unsigned char bytes[1 + sizeof(DdsClockMode)] = {};
    const uint32_t source = 1;
    const double frequency = 2e8;
    memcpy(bytes + 1, &source, sizeof source);
    memcpy(bytes + 1 + 4, &frequency, sizeof frequency);
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_SETCLKMODE, bytes + 1), 0u);
    EXPECT_EQ(setOutput(dds, 1e8), 0u);
    EXPECT_EQ(setOutput(dds, 1.5e8), kBadMode);
}

TEST_F(SwitchAndSynthesizer, StartNeedsAnAcceptedStrobeMode) {
    ASSERT_EQ(start(), 0);
    const int32_t dds = capture("BASEDDS0");
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_START, nullptr), kBadMode);
    DdsStrobeMode strobe = {10, 2, 0, 100, 1, 0}; // polarity is a flag
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_SETSTBMODE, &strobe), kBadMode);
    strobe = {10, 0, 0, 100, 1, 3};
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_SETSTBMODE, &strobe), kBadMode);
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_START, nullptr), kBadMode);
    strobe = {10, 1, 0, 100, 1, 1};
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_SETSTBMODE, &strobe), 0u);
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_START, nullptr), 0u);
    DdsStartMode startMode = {0, 2, 1, 0, 0, 0};
    EXPECT_EQ(ctrl(dds, KELctrl_DDS_SETSTARTMODE, &startMode), kBadMode);
}

TEST_F(SwitchAndSynthesizer, RefusesUnknownCodesMissingRecordsAndBadKeys) {
    ASSERT_EQ(start(), 0);
    const int32_t fmc = capture("BASEFMC0");
    const int32_t dds = capture("BASEDDS0");
    SwitchRoute route = {0, 0};
    EXPECT_TRUE(KEL_FAILED(ctrl(fmc, 0x903, &route)));
    EXPECT_TRUE(KEL_FAILED(ctrl(fmc, KELctrl_BASEF_GETSWITCH, nullptr)));
    EXPECT_TRUE(KEL_FAILED(ctrl(dds, KELctrl_DDS_SETOUTFREQ, nullptr)));
    EXPECT_TRUE(KEL_FAILED(ctrl(dds, 0x1801, &route)));
    KEL_cleanup();

    const char *const badSettings[] = {"switch_outputs = 0\n", "switch_inputs = 65\n",
                                       "switch_outputs = eight\n", "switch_count = 8\n"};
    for (const char *setting : badSettings) {
        testing::internal::CaptureStderr();
        EXPECT_LT(start(setting), 0) << setting;
        EXPECT_NE(testing::internal::GetCapturedStderr(), "") << setting;
    }
    testing::internal::CaptureStderr();
    EXPECT_LT(start("", "reference = 1e9\n"), 0); // the synthesizer takes no keys
    testing::internal::GetCapturedStderr();
}

} // namespace
