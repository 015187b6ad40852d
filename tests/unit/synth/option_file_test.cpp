// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "../temp_directory.h"

#include <filesystem>
#include <fstream>
#include <string>

#include "../../../synth/option_file.h"
#include "../../../synth/program_values.h"

namespace {

namespace fs = std::filesystem;

// Each test runs in a fresh current directory, as the path is built from it.
class OptionFile : public InTempDirectory {
protected:
    void SetUp() override {
        InTempDirectory::SetUp();
        g_options = SgenOptions{};
    }
};

TEST_F(OptionFile, ReadsEveryKeyByItsType) {
    write("demo_sgen.ini", "[Option]\nRefClockSource=4\nRefClockValue=1e9\nOutputFreq=1.5e8\n"
                           "LengthStb=12abc\nPolarityStb=-1\nDelayStb= 3\nPeriodStb=100\n"
                           "NumberStb=2\nStartStb=1\nStartSource=5\nStartInverse=1\n");
    ASSERT_EQ(loadOptions(SGEN_DEFAULT_OPTION_FILE), LOAD_OPTIONS_OK);
    EXPECT_EQ(g_options.refClockSource, 4);
    EXPECT_EQ(g_options.refClockValue, 1e9);
    EXPECT_EQ(g_options.outputFreq, 1.5e8);
    EXPECT_EQ(g_options.lengthStb, 12);
    EXPECT_EQ(g_options.polarityStb, -1);
    EXPECT_EQ(g_options.delayStb, 3);
    EXPECT_EQ(g_options.periodStb, 100);
    EXPECT_EQ(g_options.numberStb, 2);
    EXPECT_EQ(g_options.contStb, 0); // key missing
    EXPECT_EQ(g_options.startStb, 1);
    EXPECT_EQ(g_options.startSource, 5);
    EXPECT_EQ(g_options.startInverse, 1);
}

TEST_F(OptionFile, EveryOptionIsAssignedOnEachRead) {
    g_options.startStb = 7;
    g_options.outputFreq = 3.0;
    write("demo_sgen.ini", "[Other]\nStartStb=1\n");
    ASSERT_EQ(loadOptions(SGEN_DEFAULT_OPTION_FILE), LOAD_OPTIONS_OK);
    EXPECT_EQ(g_options.startStb, 0);
    EXPECT_EQ(g_options.outputFreq, 0.0);
}

TEST_F(OptionFile, NameIsJoinedWithoutSeparator) {
    // "my.ini" joins as "<dir>my.ini", a file beside the directory, not in it.
    write("my.ini", "[Option]\nStartStb=1\n");
    EXPECT_EQ(loadOptions("my.ini"), LOAD_OPTIONS_NOT_FOUND);
    ASSERT_EQ(loadOptions("/my.ini"), LOAD_OPTIONS_OK);
    EXPECT_EQ(g_options.startStb, 1);
}

TEST_F(OptionFile, MissingFileChangesNothing) {
    g_options.refClockSource = 9;
    EXPECT_EQ(loadOptions(SGEN_DEFAULT_OPTION_FILE), LOAD_OPTIONS_NOT_FOUND);
    EXPECT_EQ(g_options.refClockSource, 9);
}

// Guards against a directory passing as a readable option file.
TEST_F(OptionFile, DirectoryIsNoOptionFile) {
    fs::create_directory(directory_ / "folder.ini");
    EXPECT_EQ(loadOptions("/folder.ini"), LOAD_OPTIONS_NOT_FOUND);
}

// Guards against the directory and name overrunning the 260-byte path buffer.
TEST_F(OptionFile, PathLongerThanItsBufferIsRefused) {
    const std::string name = "/" + std::string(258 - directory_.string().size(), 'n');
    write(name.substr(1), "[Option]\nStartStb=1\n");
    ASSERT_EQ(loadOptions(name.c_str()), LOAD_OPTIONS_OK); // exactly 259 characters
    EXPECT_EQ(loadOptions((name + "x").c_str()), LOAD_OPTIONS_PATH_TOO_LONG);
}

TEST(StoreOptionValue, ConvertsByType) {
    int32_t integer = 0;
    storeOptionValue(OPTION_INT_ALT, " -42x", &integer);
    EXPECT_EQ(integer, -42);
    float single = 0;
    storeOptionValue(OPTION_FLOAT, "2.5e2", &single);
    EXPECT_EQ(single, 250.0f);
    double value = 1.0;
    storeOptionValue(7, "123", &value); // unknown type: left alone
    EXPECT_EQ(value, 1.0);
}

} // namespace
