// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "setting_values.h"

#include <errno.h>
#include <math.h>
#include <stdlib.h>

namespace sim {

std::string trimmed(const std::string &text) {
    const char *blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string lowered(std::string text) {
    for (char &c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool readInteger(const std::string &text, long long *value) {
    char *end = nullptr;
    errno = 0;
    *value = strtoll(text.c_str(), &end, 0);
    return !text.empty() && end == text.c_str() + text.size() && errno != ERANGE;
}

bool readReal(const std::string &text, double *value) {
    const char *start = text.c_str();
    char *end = nullptr;
    errno = 0;
    *value = strtod(start, &end);
    return end != start && end == start + text.size() && !(errno == ERANGE && isinf(*value));
}

bool readChoice(const std::string &text, const char *const *names, size_t count, size_t *index) {
    const std::string wanted = lowered(text);
    for (size_t i = 0; i < count; ++i) {
        if (wanted == names[i]) {
            *index = i;
            return true;
        }
    }
    return false;
}

} // namespace sim
