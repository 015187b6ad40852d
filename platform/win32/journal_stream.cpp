// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../journal_stream.h"

// Windows has no journal that takes a program's standard error.
bool platStandardErrorIsJournal(void) { return false; }
