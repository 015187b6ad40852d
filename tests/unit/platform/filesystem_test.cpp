#include <gtest/gtest.h>

#include <string.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <filesystem>
#include <string>

#include "../temp_directory.h"
#include "filesystem.h"

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
