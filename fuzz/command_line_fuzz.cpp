// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Feeds arbitrary argument lists (NUL-separated in the input) to demo_sgen's
// command-line parser and LID conversion.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "../common/lid_text.h"
#include "../synth/command_line.h"
#include "../synth/program_values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<std::string> words(1, "demo_sgen");
    std::string current;
    for (size_t i = 0; i < size && words.size() < 64; ++i) {
        if (data[i] == 0) {
            words.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    words.push_back(current);
    std::vector<char *> argv;
    for (std::string &word : words) {
        argv.push_back(&word[0]);
    }
    argv.push_back(nullptr);

    parseCommandLine(static_cast<int>(words.size()), argv.data());
    if (memchr(g_optionFileName, 0, sizeof g_optionFileName) == nullptr) {
        abort(); // the name must stay terminated within its buffer
    }
    for (size_t i = 1; i < words.size(); ++i) {
        convertLid(words[i].c_str());
    }
    return 0;
}
