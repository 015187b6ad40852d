// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Whether standard error is the system journal's stream, which times each
// line itself: a service manager that connects it says so in JOURNAL_STREAM
// ("device:inode" of the stream). A program started from that service may
// inherit the variable with its standard error pointed elsewhere, so the
// stream itself is compared.
#ifndef PLATFORM_JOURNAL_STREAM_H
#define PLATFORM_JOURNAL_STREAM_H

bool platStandardErrorIsJournal(void);

#endif
