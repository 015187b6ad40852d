// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Reading the values of the simulator's configuration: shared by the file's
// own keys and by every service model's keys, so that a number or a choice
// reads the same wherever it is written.
#ifndef SIMBOARD_SETTING_VALUES_H
#define SIMBOARD_SETTING_VALUES_H

#include <stddef.h>

#include <string>

namespace sim {

std::string trimmed(const std::string &text);
std::string lowered(std::string text);

// The whole text as an integer in any C form (42, 0x2A, 052, -1); false
// when it is empty, holds anything more or passes 64 bits.
bool readInteger(const std::string &text, long long *value);

// The whole text as a real in any C form, NaN and infinity included; false
// for anything more, or a value beyond even the double's range (a denormal
// is taken: a hostile board may serve one).
bool readReal(const std::string &text, double *value);

// The index of the text among names, compared without regard to case;
// false when it is none of them.
bool readChoice(const std::string &text, const char *const *names, size_t count, size_t *index);

} // namespace sim

#endif
