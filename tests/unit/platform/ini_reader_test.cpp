#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "../../../platform/ini_reader.h"
#if !defined(_WIN32)
#include "../../../platform/posix/ini_parse.h"
#endif

namespace {

#if !defined(_WIN32)

std::string lookup(const std::string &text, const char *section, const char *key,
                   uint32_t size = 128, const char *fallback = "0") {
    char buffer[4096];
    const uint32_t length =
        iniLookupText(text.data(), text.size(), section, key, fallback, buffer, size);
    EXPECT_EQ(length, std::string(buffer).size());
    return buffer;
}

TEST(IniLookup, MatchesSectionAndKeyWithoutRegardToCase) {
    const std::string text = "[option]\nrefclocksource=4\n";
    EXPECT_EQ(lookup(text, "Option", "RefClockSource"), "4");
    EXPECT_EQ(lookup("[OPTION]\nREFCLOCKSOURCE=5\n", "Option", "RefClockSource"), "5");
}

TEST(IniLookup, TrimsWhiteSpaceAroundKeysAndValues) {
    EXPECT_EQ(lookup("[Option]\n   Key \t=  some value \t \n", "Option", "Key"), "some value");
    EXPECT_EQ(lookup("  [Option]  \nKey=1\n", "Option", "Key"), "1");
    EXPECT_EQ(lookup("[Option]\nKey=\n", "Option", "Key"), "");
}

TEST(IniLookup, RemovesOnePairOfMatchingQuotes) {
    EXPECT_EQ(lookup("[Option]\nKey=\"quoted value\"\n", "Option", "Key"), "quoted value");
    EXPECT_EQ(lookup("[Option]\nKey='single'\n", "Option", "Key"), "single");
    EXPECT_EQ(lookup("[Option]\nKey=\"\"x\"\"\n", "Option", "Key"), "\"x\"");
    EXPECT_EQ(lookup("[Option]\nKey=\"open\n", "Option", "Key"), "\"open");
    EXPECT_EQ(lookup("[Option]\nKey=\"mixed'\n", "Option", "Key"), "\"mixed'");
    EXPECT_EQ(lookup("[Option]\nKey=\"\n", "Option", "Key"), "\"");
}

TEST(IniLookup, FirstMatchWins) {
    EXPECT_EQ(lookup("[Option]\nKey=1\nKey=2\n", "Option", "Key"), "1");
    // Only the first section of a name is searched.
    EXPECT_EQ(lookup("[Option]\nA=1\n[Option]\nKey=2\n", "Option", "Key"), "0");
    EXPECT_EQ(lookup("[Option]\nA=1\n[Other]\nKey=3\n[Option]\nKey=2\n", "Option", "Key"), "0");
}

TEST(IniLookup, MissingSectionKeyOrValueGivesTheDefault) {
    EXPECT_EQ(lookup("[Other]\nKey=1\n", "Option", "Key"), "0");
    EXPECT_EQ(lookup("[Option]\nOther=1\n", "Option", "Key"), "0");
    EXPECT_EQ(lookup("Key=1\n[Option]\n", "Option", "Key"), "0");      // before any section
    EXPECT_EQ(lookup("[Option]\nKey\nKey=2\n", "Option", "Key"), "0"); // a key without '='
    EXPECT_EQ(lookup("", "Option", "Key", 128, "dflt"), "dflt");
    EXPECT_EQ(lookup("[Option]\n;Key=1\n", "Option", "Key"), "0"); // a comment line
}

TEST(IniLookup, LineEndsAndByteOrderMark) {
    EXPECT_EQ(lookup("[Option]\r\nKey=1\r\n", "Option", "Key"), "1");
    EXPECT_EQ(lookup("[Option]\rKey=2\r", "Option", "Key"), "2"); // CR only
    EXPECT_EQ(lookup("\xEF\xBB\xBF[Option]\nKey=3\n", "Option", "Key"), "3");
    EXPECT_EQ(lookup("[Option]\nKey=4", "Option", "Key"), "4"); // no final line end
}

TEST(IniLookup, SectionHeaderForms) {
    EXPECT_EQ(lookup("[Option] trailing\nKey=1\n", "Option", "Key"),
              "1");                                                   // text after ']' is dropped
    EXPECT_EQ(lookup("[Opt]ion]\nKey=1\n", "Opt]ion", "Key"), "1");   // up to the last ']'
    EXPECT_EQ(lookup("[Option\nKey=1\n", "Option", "Key"), "0");      // no ']': a key line
    EXPECT_EQ(lookup("[ Option ]\nKey=1\n", " Option ", "Key"), "1"); // both names are trimmed
}

// Guards against values longer than the buffer overrunning it.
TEST(IniLookup, ValueIsCutToTheBufferLessOne) {
    const std::string value(300, 'v');
    EXPECT_EQ(lookup("[Option]\nKey=" + value + "\n", "Option", "Key", 128), value.substr(0, 127));
    EXPECT_EQ(lookup("[Option]\nKey=abc\n", "Option", "Key", 1), "");
    EXPECT_EQ(lookup("[Option]\n", "Option", "Key", 128, std::string(200, 'd').c_str()),
              std::string(127, 'd'));
}

// Guards against a value with a NUL byte reporting more characters than its text holds.
TEST(IniLookup, NamesAndValuesEndAtANulByte) {
    EXPECT_EQ(lookup(std::string("[Option]\n\0\0Key\0=1\nKey=2\n", 24), "Option", "Key"), "2");
    EXPECT_EQ(lookup(std::string("[Option]\nKey\0junk=3\n", 20), "Option", "Key"), "3");
    EXPECT_EQ(lookup(std::string("[Option]\nKey=12\0\0\x05z\n", 20), "Option", "Key"), "12");
    EXPECT_EQ(lookup(std::string("[Option]\nKey=\"ab\0c\"\n", 20), "Option", "Key"), "\"ab");
}

#endif

TEST(ReadIniString, UnreadableFileGivesTheDefault) {
    char buffer[16];
    EXPECT_EQ(platReadIniString("Option", "Key", "0", buffer, sizeof buffer,
                                "/no/such/directory/file.ini"),
              1u);
    EXPECT_STREQ(buffer, "0");
}

} // namespace
