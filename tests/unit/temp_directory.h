// A scratch directory that becomes the current directory for one test.
#ifndef TESTS_UNIT_TEMP_DIRECTORY_H
#define TESTS_UNIT_TEMP_DIRECTORY_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

class InTempDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        directory_ = std::filesystem::temp_directory_path() /
                     (std::string("kel-unit-") +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(directory_);
        std::filesystem::create_directories(directory_);
        std::filesystem::current_path(directory_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(directory_);
    }
    static void write(const std::filesystem::path &path, const std::string &text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::filesystem::path previous_;
    std::filesystem::path directory_;
};

#endif
