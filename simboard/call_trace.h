// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The call trace: with KEL_SIM_TRACE naming a file, one line per entry-point
// call is appended to it, so tests can check call order and arguments.
#ifndef SIMBOARD_CALL_TRACE_H
#define SIMBOARD_CALL_TRACE_H

#include <stddef.h>

#include <string>

#include "recording_text.h"

namespace sim {

bool traceEnabled();

// Appends one line (a newline is added).
void traceLine(const std::string &line);

// printf-style formatting into a string.
std::string formatText(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Texts and bytes are shown in the trace as in a recording.
using rec::hexBytes;
using rec::quotedText;

} // namespace sim

#endif
