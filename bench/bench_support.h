// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// What both benchmarks need: a scratch working directory and a way to send
// the programs' output nowhere while they are timed.
#ifndef BENCH_BENCH_SUPPORT_H
#define BENCH_BENCH_SUPPORT_H

#include <string>

// Creates a fresh directory under the system's temporary directory, makes
// it the current directory and returns its path.
std::string enterScratchDirectory(const char *name);

// Writes a whole file in the current directory.
void writeFile(const char *name, const std::string &text);

// Sends standard output to the null device until the matching restore; the
// benchmark's own report goes to standard output between the two.
void silenceStdout(void);
void restoreStdout(void);

#endif
