// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A scratch directory that becomes the current directory for one test.
#ifndef TESTS_UNIT_TEMP_DIRECTORY_H
#define TESTS_UNIT_TEMP_DIRECTORY_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#if defined(_WIN32)
#include <direct.h>
#include <io.h>
#include <stdio.h>

// std::filesystem cannot remove a tree whose paths pass MAX_PATH on Windows
// (tests make such trees); the wide C runtime calls can, given the \\?\ form.
inline void removeDeepTree(const std::wstring &path) {
    struct _wfinddata_t found;
    const intptr_t search = _wfindfirst((path + L"\\*").c_str(), &found);
    if (search != -1) {
        do {
            const std::wstring name = found.name;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            if (found.attrib & _A_SUBDIR) {
                removeDeepTree(child);
            } else {
                _wremove(child.c_str());
            }
        } while (_wfindnext(search, &found) == 0);
        _findclose(search);
    }
    _wrmdir(path.c_str());
}

inline void removeTree(const std::filesystem::path &path) {
    removeDeepTree(L"\\\\?\\" + std::filesystem::absolute(path).wstring());
}
#else
inline void removeTree(const std::filesystem::path &path) { std::filesystem::remove_all(path); }
#endif

class InTempDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        // A name no other run can hold: test runs of two checkouts, or of
        // the same one twice, share the temporary directory.
        const std::string name = std::string("kel-unit-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::random_device random;
        do {
            directory_ =
                std::filesystem::temp_directory_path() / (name + "-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(directory_));
        std::filesystem::current_path(directory_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        removeTree(directory_);
    }
    static void write(const std::filesystem::path &path, const std::string &text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::filesystem::path previous_;
    std::filesystem::path directory_;
};

#endif
