// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <errno.h>
#include <string.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <filesystem>
#include <string>

#include "../temp_directory.h"
#include "filesystem.h"
#include "replace_file.h"

namespace {

namespace fs = std::filesystem;

using Filesystem = InTempDirectory;

TEST_F(Filesystem, CurrentDirectoryAndItsSizeWhenTheBufferIsShort) {
    char buffer[4096];
    const uint32_t length = platCurrentDirectory(buffer, sizeof buffer);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(length, strlen(buffer));
    EXPECT_TRUE(fs::equivalent(fs::path(buffer), directory_));

    char small[4] = "abc";
    EXPECT_EQ(platCurrentDirectory(small, sizeof small), length + 1);
    EXPECT_STREQ(small, "abc"); // left as it was
}

TEST_F(Filesystem, OnlyFilesCanBeOpenedForReading) {
    write("present.ini", "[Option]\n");
    fs::create_directory("folder.ini");
    EXPECT_TRUE(platCanOpenForReading("present.ini"));
    EXPECT_FALSE(platCanOpenForReading("folder.ini"));
    EXPECT_FALSE(platCanOpenForReading("absent.ini"));
    EXPECT_FALSE(platCanOpenForReading(""));
#if !defined(_WIN32)
    // Regression: a FIFO made the probe wait for a writer for ever, and a
    // device passed the probe although the INI reader refuses it.
    ASSERT_EQ(mkfifo("fifo.ini", 0600), 0);
    EXPECT_FALSE(platCanOpenForReading("fifo.ini"));
    EXPECT_FALSE(platCanOpenForReading("/dev/zero"));
#endif
}

// Files on disk and directories are not special, nor is what is not there;
// a device is, and a FIFO, whose opening would wait for its other end.
TEST_F(Filesystem, SpecialFilesAreToldFromFilesOnDisk) {
    write("present.kelrec", "");
    fs::create_directory("folder");
    EXPECT_FALSE(platIsSpecialFile("present.kelrec"));
    EXPECT_FALSE(platIsSpecialFile("folder"));
    EXPECT_FALSE(platIsSpecialFile("absent.kelrec"));
    EXPECT_FALSE(platIsSpecialFile(""));
#if defined(_WIN32)
    EXPECT_TRUE(platIsSpecialFile("NUL"));
#else
    ASSERT_EQ(mkfifo("fifo.kelrec", 0600), 0);
    EXPECT_TRUE(platIsSpecialFile("fifo.kelrec"));
    EXPECT_TRUE(platIsSpecialFile("/dev/null"));
#endif
}

TEST_F(Filesystem, SearchFindsAFileInTheCurrentDirectory) {
    const std::string name =
        "kel-search-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".ini";
    char buffer[4096];
    EXPECT_EQ(platSearchPath(name.c_str(), buffer, sizeof buffer), 0u);

    write(name, "[Option]\n");
    const uint32_t length = platSearchPath(name.c_str(), buffer, sizeof buffer);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(length, strlen(buffer));
    EXPECT_TRUE(fs::path(buffer).is_absolute()) << buffer;
    EXPECT_TRUE(fs::equivalent(fs::path(buffer), directory_ / name)) << buffer;

    char small[4];
    EXPECT_EQ(platSearchPath(name.c_str(), small, sizeof small), length + 1);
}

} // namespace

namespace {

TEST(JoinPath, OneSeparatorBetweenDirectoryAndName) {
    const std::string separator(1, platPathSeparator());
    EXPECT_EQ(platJoinPath("conf", "kel.ini"), "conf" + separator + "kel.ini");
    EXPECT_EQ(platJoinPath("conf/", "kel.ini"), "conf/kel.ini"); // not doubled
    EXPECT_EQ(platJoinPath("/", "kel.ini"), "/kel.ini");
    EXPECT_EQ(platJoinPath("", "kel.ini"), "kel.ini");
#if defined(_WIN32)
    EXPECT_EQ(platJoinPath("C:\\boards\\", "kel.ini"), "C:\\boards\\kel.ini");
    EXPECT_EQ(platJoinPath("C:\\boards", "kel.ini"), "C:\\boards\\kel.ini");
#else
    EXPECT_EQ(platJoinPath("a\\", "kel.ini"), "a\\/kel.ini"); // a backslash is a letter here
#endif
}

using AppendFile = InTempDirectory;

// A new file is made only where nothing is: what is there stays, and the
// caller learns why (EEXIST) to pick another name.
TEST_F(AppendFile, ANewFileIsNeverMadeOverWhatIsThere) {
    FILE *created = platOpenNewFile("client-1.kelrec");
    ASSERT_NE(created, nullptr);
    fputs("earlier\n", created);
    fclose(created);
    fs::create_directory("folder.kelrec");
    for (const char *taken : {"client-1.kelrec", "folder.kelrec"}) {
        errno = 0;
        EXPECT_EQ(platOpenNewFile(taken), nullptr) << taken;
        EXPECT_EQ(errno, EEXIST) << taken;
    }
    std::ifstream read("client-1.kelrec", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(read)),
                           std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "earlier\n");
    errno = 0;
    EXPECT_EQ(platOpenNewFile("missing/client-1.kelrec"), nullptr);
    EXPECT_NE(errno, EEXIST);
}

TEST_F(AppendFile, CreatesOrAppendsToARegularFileOnly) {
    FILE *created = platOpenAppendFile("log.csv");
    ASSERT_NE(created, nullptr);
    fputs("one\n", created);
    fclose(created);
    FILE *again = platOpenAppendFile("log.csv");
    ASSERT_NE(again, nullptr);
    fputs("two\n", again);
    fclose(again);
    std::ifstream read("log.csv", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(read)),
                           std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "one\ntwo\n"); // bytes as written, nothing overwritten

    fs::create_directory("folder.csv");
    EXPECT_EQ(platOpenAppendFile("folder.csv"), nullptr);
    EXPECT_EQ(platOpenAppendFile("missing/log.csv"), nullptr);
    EXPECT_EQ(platOpenAppendFile(""), nullptr);
#if !defined(_WIN32)
    // A FIFO without a reader would hold the monitor before its first pass.
    ASSERT_EQ(mkfifo("fifo.csv", 0600), 0);
    EXPECT_EQ(platOpenAppendFile("fifo.csv"), nullptr);
    EXPECT_EQ(platOpenAppendFile("/dev/null"), nullptr);
#endif
}

} // namespace

namespace {

using ReplaceFile = InTempDirectory;

std::string contentsOf(const char *path) {
    std::ifstream read(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(read)), std::istreambuf_iterator<char>());
}

// A collector reading at any moment finds the old text or the new whole one,
// and never the temporary file, which it would read as metrics.
TEST_F(ReplaceFile, ReplacesWholeAndLeavesNothingBeside) {
    const std::string temporary = platReplacementName("kel_board.prom");
    EXPECT_NE(temporary.substr(temporary.size() - 5), ".prom") << temporary;
    EXPECT_EQ(temporary.rfind("kel_board.prom", 0), 0u) << "beside it, on the same file system";

    ASSERT_TRUE(platReplaceFile("kel_board.prom", "old 1\n"));
#if !defined(_WIN32)
    // A reader that opened the old file keeps reading the old text.
    std::ifstream reader("kel_board.prom", std::ios::binary);
#endif
    const std::string large(1 << 20, 'x');
    ASSERT_TRUE(platReplaceFile("kel_board.prom", large));
    EXPECT_EQ(contentsOf("kel_board.prom"), large);
#if !defined(_WIN32)
    std::string old;
    std::getline(reader, old);
    EXPECT_EQ(old, "old 1");
#endif
    ASSERT_TRUE(platReplaceFile("kel_board.prom", ""));
    EXPECT_EQ(contentsOf("kel_board.prom"), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);
}

TEST_F(ReplaceFile, FailsWithoutTouchingWhatIsThere) {
    errno = 0;
    EXPECT_FALSE(platReplaceFile("missing/kel_board.prom", "a 1\n"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(platReplaceFile("", "a 1\n"));
    fs::create_directory("folder.prom");
    write("folder.prom/kept", "kept");
    errno = 0;
    EXPECT_FALSE(platReplaceFile("folder.prom", "a 1\n"));
    EXPECT_NE(errno, 0);
    EXPECT_EQ(contentsOf("folder.prom/kept"), "kept");
    EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1)
        << "the temporary file was left behind";
}

} // namespace
