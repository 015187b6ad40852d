// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Values read from real files through platReadIniString. The same table runs
// against the POSIX reader and, in the Windows build, against the system's
// own profile reader: a row that fails on one platform only is a place where
// the two readers disagree.
#include <gtest/gtest.h>

#include <string>

#include "../temp_directory.h"
#include "ini_reader.h"

namespace {

struct IniCase {
    const char *what;
    std::string text; // the file's bytes
    const char *section;
    const char *key;
    const char *expected;
    uint32_t size = 128;
    const char *defaultText = "0";
};

class IniFile : public InTempDirectory {
protected:
    std::string file(const std::string &text, const char *name = "case.ini") {
        write(directory_ / name, text);
        return (directory_ / name).string();
    }

    void check(const IniCase &row) {
        // A new name for each row: the Windows reader caches files it read.
        const std::string name = "case" + std::to_string(++rows_) + ".ini";
        const std::string path = file(row.text, name.c_str());
        char buffer[8192];
        memset(buffer, '#', sizeof buffer);
        const uint32_t length = platReadIniString(row.section, row.key, row.defaultText, buffer,
                                                  row.size, path.c_str());
        EXPECT_STREQ(buffer, row.expected) << row.what;
        EXPECT_EQ(length, strlen(row.expected)) << row.what;
        EXPECT_EQ(buffer[row.size], '#') << row.what << ": wrote past the buffer";
    }

    int rows_ = 0;
};

TEST_F(IniFile, NamesMatchWithoutRegardToCase) {
    const IniCase rows[] = {
        {"lower-case file", "[option]\nrefclocksource=4\n", "Option", "RefClockSource", "4"},
        {"upper-case file", "[OPTION]\nREFCLOCKSOURCE=5\n", "Option", "RefClockSource", "5"},
        {"key with inner space", "[Option]\nRef Clock = 6\n", "Option", "Ref Clock", "6"},
        {"missing key", "[Option]\nOther=1\n", "Option", "Key", "0"},
        {"missing section", "[Other]\nKey=1\n", "Option", "Key", "0"},
        {"empty file", "", "Option", "Key", "dflt", 128, "dflt"},
    };
    for (const IniCase &row : rows) {
        check(row);
    }
}

TEST_F(IniFile, WhiteSpaceAroundNamesAndValues) {
    const IniCase rows[] = {
        {"spaces and tabs", "[Option]\n   Key \t=  some value \t \n", "Option", "Key",
         "some value"},
        {"indented section", "  [Option]  \nKey=1\n", "Option", "Key", "1"},
        {"empty value is not the default", "[Option]\nKey=\n", "Option", "Key", ""},
        {"blank value", "[Option]\nKey=   \n", "Option", "Key", ""},
        {"second '=' belongs to the value", "[Option]\nKey=a=b\n", "Option", "Key", "a=b"},
        // Regression: the POSIX reader took "[ Option ]" as a section named " Option ".
        {"spaces inside the brackets", "[ Option ]\nKey=1\n", "Option", "Key", "1"},
        {"tabs inside the brackets", "[\tOption\t]\nKey=1\n", "Option", "Key", "1"},
        {"asked names are trimmed", "[Option]\nKey=1\n", " Option ", " Key ", "1"},
    };
    for (const IniCase &row : rows) {
        check(row);
    }
}

TEST_F(IniFile, Quotes) {
    const IniCase rows[] = {
        {"double quotes", "[Option]\nKey=\"quoted value\"\n", "Option", "Key", "quoted value"},
        {"single quotes", "[Option]\nKey='single'\n", "Option", "Key", "single"},
        {"spaces kept inside", "[Option]\nKey=\" 1 \"\n", "Option", "Key", " 1 "},
        {"one pair only", "[Option]\nKey=\"\"x\"\"\n", "Option", "Key", "\"x\""},
        {"unclosed", "[Option]\nKey=\"open\n", "Option", "Key", "\"open"},
        {"unmatched pair", "[Option]\nKey=\"mixed'\n", "Option", "Key", "\"mixed'"},
        {"a lone quote", "[Option]\nKey=\"\n", "Option", "Key", "\""},
        {"quotes inside", "[Option]\nKey=1\"2\"\n", "Option", "Key", "1\"2\""},
    };
    for (const IniCase &row : rows) {
        check(row);
    }
}

TEST_F(IniFile, DuplicatesAndKeysBeforeAnySection) {
    const IniCase rows[] = {
        {"first key wins", "[Option]\nKey=1\nKey=2\n", "Option", "Key", "1"},
        {"first section wins", "[Option]\nKey=1\n[Option]\nKey=2\n", "Option", "Key", "1"},
        {"key only in a repeated section", "[Option]\nA=1\n[Option]\nKey=2\n", "Option", "Key",
         "0"},
        {"repeated after another section", "[Option]\nA=1\n[Other]\nKey=3\n[Option]\nKey=2\n",
         "Option", "Key", "0"},
        {"key before any section", "Key=1\n[Option]\n", "Option", "Key", "0"},
        {"key before the section it is asked in", "Key=1\n[Option]\nKey=2\n", "Option", "Key", "2"},
    };
    for (const IniCase &row : rows) {
        check(row);
    }
}

TEST_F(IniFile, LineEndsAndByteOrderMark) {
    const IniCase rows[] = {
        {"CRLF", "[Option]\r\nKey=1\r\n", "Option", "Key", "1"},
        {"CR only", "[Option]\rKey=2\r", "Option", "Key", "2"},
        {"mixed", "[Option]\r\nA=0\nKey=3\r\n", "Option", "Key", "3"},
        // Regression: in a file with any LF the POSIX reader did not end lines at a lone CR.
        {"lone CR in a file with LF", "[Option]\rKey=2\r\nB=3\n", "Option", "Key", "2"},
        {"lone CR inside a value", "[Option]\nKey=1\r2\n", "Option", "Key", "1"},
        {"no final line end", "[Option]\nKey=4", "Option", "Key", "4"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[Option]\nKey=5\n", "Option", "Key", "5"},
        {"blank lines", "\n\n[Option]\n\n\nKey=6\n\n", "Option", "Key", "6"},
    };
    for (const IniCase &row : rows) {
        check(row);
    }
}

TEST_F(IniFile, CommentsAndOddLines) {
    const IniCase rows[] = {
        {"semicolon comment", "[Option]\n;Key=1\n", "Option", "Key", "0"},
        {"comment before the key", "; options\n[Option]\n; the key\nKey=2\n", "Option", "Key", "2"},
        {"inline text stays in the value", "[Option]\nKey=3 ; comment\n", "Option", "Key",
         "3 ; comment"},
        {"key without '='", "[Option]\nKey\nKey=2\n", "Option", "Key", "0"},
        {"text after ']'", "[Option] trailing\nKey=1\n", "Option", "Key", "1"},
        {"name up to the last ']'", "[Opt]ion]\nKey=1\n", "Opt]ion", "Key", "1"},
        {"'[' without ']'", "[Option\nKey=1\n", "Option", "Key", "0"},
        {"NUL bytes around the key", std::string("[Option]\n\0\0Key\0=1\nKey=2\n", 24), "Option",
         "Key", "2"},
        // Regression: the POSIX reader counted the bytes after a NUL in its result.
        {"NUL inside a value", std::string("[Option]\nKey=1\0002\n", 17), "Option", "Key", "1"},
        {"key name ends at a NUL", std::string("[Option]\nKey\0junk=3\n", 20), "Option", "Key",
         "3"},
        {"NUL before the closing quote", std::string("[Option]\nKey=\"ab\0c\"\n", 20), "Option",
         "Key", "\"ab"},
        {"Ctrl-Z at the end of a line", "[Option]\nKey=1\x1a\n", "Option", "Key", "1"},
    };
    for (const IniCase &row : rows) {
        check(row);
    }
}

// Guards against a long value or default overrunning the caller's buffer.
TEST_F(IniFile, LongValuesAreCutToTheBufferLessOne) {
    const std::string value(300, 'v');
    const std::string longDefault(200, 'd');
    const std::string cut(127, 'v');
    const std::string cutDefault(127, 'd');
    const std::string longLine(70000, 'w');
    const IniCase rows[] = {
        {"value of 300", "[Option]\nKey=" + value + "\n", "Option", "Key", cut.c_str()},
        {"buffer of one", "[Option]\nKey=abc\n", "Option", "Key", "", 1},
        {"default of 200", "[Option]\n", "Option", "Key", cutDefault.c_str(), 128,
         longDefault.c_str()},
        {"long line before the key", "[Option]\nA=" + longLine + "\nKey=7\n", "Option", "Key", "7"},
    };
    for (const IniCase &row : rows) {
        check(row);
    }
}

TEST_F(IniFile, MissingOrUnreadableFileGivesTheDefault) {
    char buffer[16];
    const std::string missing = (directory_ / "missing.ini").string();
    EXPECT_EQ(platReadIniString("Option", "Key", "dflt", buffer, sizeof buffer, missing.c_str()),
              4u);
    EXPECT_STREQ(buffer, "dflt");
    const std::string folder = directory_.string();
    EXPECT_EQ(platReadIniString("Option", "Key", "0", buffer, sizeof buffer, folder.c_str()), 1u);
    EXPECT_STREQ(buffer, "0");
}

// Guards against a file of any size being read whole: a 2 GiB option file
// took all the memory of both programs.
TEST_F(IniFile, FileLargerThanTheLimitIsNotRead) {
    std::string text = "[Option]\nKey=7\n";
    text.resize(PLAT_INI_FILE_LIMIT, '\n');
    for (const bool onePastTheLimit : {false, true}) {
        const std::string path =
            onePastTheLimit ? file(text + "\n", "past.ini") : file(text, "at.ini");
        PlatIniFile *opened = platOpenIniFile(path.c_str());
        char buffer[16];
        platReadIniValue(opened, "Option", "Key", "dflt", buffer, sizeof buffer);
        EXPECT_EQ(platIniFileTooLarge(opened), onePastTheLimit);
        EXPECT_STREQ(buffer, onePastTheLimit ? "dflt" : "7");
        platCloseIniFile(opened);
    }
}

// Guards against a bare file name being looked up anywhere but in the
// current directory (the Windows profile reader's own rule).
TEST_F(IniFile, RelativePathIsTakenFromTheCurrentDirectory) {
    file("[Option]\nKey=8\n", "relative.ini");
    char buffer[16];
    EXPECT_EQ(platReadIniString("Option", "Key", "0", buffer, sizeof buffer, "relative.ini"), 1u);
    EXPECT_STREQ(buffer, "8");
}

} // namespace
