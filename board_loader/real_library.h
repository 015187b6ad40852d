// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A board library loaded by path, and its thirteen entry points: the one
// the recorder stands in front of (KEL_REAL_LIBRARY names it) or the one
// the board server serves.
#ifndef BOARD_LOADER_REAL_LIBRARY_H
#define BOARD_LOADER_REAL_LIBRARY_H

#include <string>

#include "kel_entry_points.h"

struct RealLibrary {
#define REAL_LIBRARY_FUNCTION(name, type, parameters, arguments) decltype(&KEL_##name) name;
    KEL_ENTRY_POINTS(REAL_LIBRARY_FUNCTION)
#undef REAL_LIBRARY_FUNCTION
};

// Loads the library at path and finds every entry point; on failure returns
// false with the reason, one line, in *problem.
bool loadRealLibrary(const char *path, RealLibrary *real, std::string *problem);

#endif
