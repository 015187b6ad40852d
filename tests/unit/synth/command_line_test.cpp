// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../../synth/command_line.h"
#include "../../../synth/program_values.h"
#include "../argument_list.h"

namespace {

// Runs the parser on a command line given without the program name.
int parse(std::vector<std::string> words) {
    ArgumentList arguments("demo_sgen", std::move(words));
    return parseCommandLine(arguments.argc(), arguments.argv());
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        g_chosenLid = SGEN_ALL_BOARDS;
        g_quiet = 0;
    }
};

TEST_F(CommandLine, NoArgumentsMeanEveryBoardWithWaits) {
    g_chosenLid = 5; // the parser keeps a LID chosen before, as the program starts at -1
    ASSERT_EQ(parse({}), COMMAND_LINE_OK);
    EXPECT_STREQ(g_optionFileName, "");
    EXPECT_EQ(g_quiet, 0);
}

TEST_F(CommandLine, BoardOptionForms) {
    for (const std::vector<std::string> &words :
         {std::vector<std::string>{"-b3"}, {"-B3"}, {"-b", "3"}, {"-B", "3"}}) {
        g_chosenLid = SGEN_ALL_BOARDS;
        ASSERT_EQ(parse(words), COMMAND_LINE_OK);
        EXPECT_EQ(g_chosenLid, 3) << words[0];
    }
    ASSERT_EQ(parse({"-b0x10"}), COMMAND_LINE_OK);
    EXPECT_EQ(g_chosenLid, 16);
    ASSERT_EQ(parse({"-b010"}), COMMAND_LINE_OK);
    EXPECT_EQ(g_chosenLid, 8);
    ASSERT_EQ(parse({"-bx"}), COMMAND_LINE_OK);
    EXPECT_EQ(g_chosenLid, 0);
    ASSERT_EQ(parse({"-b99999999999"}), COMMAND_LINE_OK);
    EXPECT_EQ(g_chosenLid, SGEN_ALL_BOARDS);
    ASSERT_EQ(parse({"-b-1"}), COMMAND_LINE_OK);
    EXPECT_EQ(g_chosenLid, SGEN_ALL_BOARDS);
}

TEST_F(CommandLine, SeparateBoardValueIsConsumedWhateverItHolds) {
    ASSERT_EQ(parse({"-b", "-q"}), COMMAND_LINE_OK);
    EXPECT_EQ(g_chosenLid, 0);
    EXPECT_EQ(g_quiet, 0);
    ASSERT_EQ(parse({"-b", "my.ini"}), COMMAND_LINE_OK);
    EXPECT_STREQ(g_optionFileName, "");
}

TEST_F(CommandLine, QuietAndUnknownOptions) {
    ASSERT_EQ(parse({"-q"}), COMMAND_LINE_OK);
    EXPECT_EQ(g_quiet, 1);
    ASSERT_EQ(parse({"-Qxyz"}), COMMAND_LINE_OK);
    EXPECT_EQ(g_quiet, 1);
    ASSERT_EQ(parse({"-x", "-"}), COMMAND_LINE_OK);
    EXPECT_EQ(g_quiet, 0);
    EXPECT_EQ(g_chosenLid, SGEN_ALL_BOARDS);
    EXPECT_STREQ(g_optionFileName, "");
}

TEST_F(CommandLine, LaterFileNameReplacesEarlier) {
    ASSERT_EQ(parse({"/first.ini", "-q", "/second.ini"}), COMMAND_LINE_OK);
    EXPECT_STREQ(g_optionFileName, "/second.ini");
}

// Guards against a -b at the end being read past the argument list.
TEST_F(CommandLine, BoardOptionWithoutValueIsRefused) {
    EXPECT_EQ(parse({"-q", "-b"}), COMMAND_LINE_MISSING_LID);
    EXPECT_EQ(g_chosenLid, SGEN_ALL_BOARDS);
}

// Guards against a long file name overrunning the 260-byte name buffer.
TEST_F(CommandLine, FileNameLengthLimit) {
    const std::string fits(259, 'a');
    ASSERT_EQ(parse({fits}), COMMAND_LINE_OK);
    EXPECT_EQ(std::string(g_optionFileName), fits);
    EXPECT_EQ(parse({std::string(260, 'b')}), COMMAND_LINE_NAME_TOO_LONG);
    EXPECT_EQ(parse({std::string(1000, 'c')}), COMMAND_LINE_NAME_TOO_LONG);
}

} // namespace
