#include <gtest/gtest.h>

#include <string.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "../../../platform/filesystem.h"

namespace {

namespace fs = std::filesystem;

class Filesystem : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        directory_ = fs::temp_directory_path() /
                     ("kel-fs-" +
                      std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(directory_);
        fs::current_path(directory_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(directory_);
    }
    fs::path previous_;
    fs::path directory_;
};

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
    std::ofstream("present.ini") << "[Option]\n";
    fs::create_directory("folder.ini");
    EXPECT_TRUE(platCanOpenForReading("present.ini"));
    EXPECT_FALSE(platCanOpenForReading("folder.ini"));
    EXPECT_FALSE(platCanOpenForReading("absent.ini"));
    EXPECT_FALSE(platCanOpenForReading(""));
}

TEST_F(Filesystem, SearchFindsAFileInTheCurrentDirectory) {
    const std::string name =
        "kel-search-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".ini";
    char buffer[4096];
    EXPECT_EQ(platSearchPath(name.c_str(), buffer, sizeof buffer), 0u);

    std::ofstream(name) << "[Option]\n";
    const uint32_t length = platSearchPath(name.c_str(), buffer, sizeof buffer);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(length, strlen(buffer));
    EXPECT_TRUE(fs::path(buffer).is_absolute()) << buffer;
    EXPECT_TRUE(fs::equivalent(fs::path(buffer), directory_ / name)) << buffer;

    char small[4];
    EXPECT_EQ(platSearchPath(name.c_str(), small, sizeof small), length + 1);
}

} // namespace
