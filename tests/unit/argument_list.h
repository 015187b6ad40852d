// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A command line as a program's main() gets it, for parser tests.
#ifndef TESTS_UNIT_ARGUMENT_LIST_H
#define TESTS_UNIT_ARGUMENT_LIST_H

#include <string>
#include <utility>
#include <vector>

class ArgumentList {
public:
    // The program name, then the words; argv() stays valid as long as the
    // list does (a parser may keep pointers into it).
    ArgumentList(const char *program, std::vector<std::string> words) : words_(std::move(words)) {
        words_.insert(words_.begin(), program);
        for (std::string &word : words_) {
            argv_.push_back(&word[0]);
        }
        argv_.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(words_.size()); }
    char **argv() { return argv_.data(); }

private:
    std::vector<std::string> words_;
    std::vector<char *> argv_;
};

#endif
