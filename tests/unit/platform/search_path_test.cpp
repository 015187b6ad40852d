// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The search order demo_sensors relies on to find its option file: the
// program's own directory, the current directory, then PATH in order.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "../temp_directory.h"
#include "filesystem.h"

#if !defined(_WIN32)
#include <unistd.h>

namespace {

std::filesystem::path programDirectory() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

std::string search(const char *name) {
    char buffer[4096];
    const uint32_t length = platSearchPath(name, buffer, sizeof buffer);
    return length == 0 ? std::string() : std::string(buffer, length);
}

class SearchPath : public InTempDirectory {
protected:
    void SetUp() override {
        InTempDirectory::SetUp();
        const char *path = getenv("PATH");
        savedPath_ = path ? path : "";
        for (const char *sub : {"first", "second", "cwd"}) {
            std::filesystem::create_directories(directory_ / sub);
        }
        std::filesystem::current_path(directory_ / "cwd");
        setenv("PATH",
               ((directory_ / "first").string() + ":" + (directory_ / "second").string()).c_str(),
               1);
    }
    void TearDown() override {
        setenv("PATH", savedPath_.c_str(), 1);
        if (!besideProgram_.empty()) {
            std::filesystem::remove(besideProgram_);
        }
        InTempDirectory::TearDown();
    }
    // A file in the program's directory, named for this test alone.
    void putBesideProgram(const std::string &name) {
        besideProgram_ = programDirectory() / name;
        write(besideProgram_, "x");
    }
    std::string savedPath_;
    std::filesystem::path besideProgram_;
};

TEST_F(SearchPath, TakesTheFirstDirectoryOfPathThatHoldsTheFile) {
    write(directory_ / "second" / "a.ini", "x");
    EXPECT_EQ(search("a.ini"), (directory_ / "second" / "a.ini").string());
    write(directory_ / "first" / "a.ini", "x");
    EXPECT_EQ(search("a.ini"), (directory_ / "first" / "a.ini").string());
}

TEST_F(SearchPath, PrefersTheCurrentDirectoryToPath) {
    write(directory_ / "first" / "b.ini", "x");
    write(directory_ / "cwd" / "b.ini", "x");
    EXPECT_EQ(search("b.ini"), (directory_ / "cwd" / "b.ini").string());
}

TEST_F(SearchPath, PrefersTheProgramDirectoryToTheCurrentDirectory) {
    const std::string name = "kel-search-path-test-" + std::to_string(getpid()) + ".ini";
    write(directory_ / "cwd" / name, "x");
    putBesideProgram(name);
    EXPECT_EQ(search(name.c_str()), (programDirectory() / name).string());
}

TEST_F(SearchPath, SkipsDirectoriesAndFindsNothingElsewhere) {
    std::filesystem::create_directories(directory_ / "first" / "c.ini");
    EXPECT_EQ(search("c.ini"), "");
    EXPECT_EQ(search(""), "");
}

} // namespace

#endif
