// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The recording's text form: a version line, then one block per call,
// written as the call happens and read back whole by the replay.
//
//   KEL recording 2
//   call 1 KEL_displayMode
//     mode 0x8f
//     = 0x0
//   call 2 KEL_init
//     configFile "kel.ini"
//     count out-only
//     = 0x0
//     count out 01000000
//
// Numbers are decimal or 0x hexadecimal; texts are quoted with \xNN for
// every byte outside printable ASCII, '"' and '\'; buffers the library
// reads are their bytes in hexadecimal, a space after every four; a buffer
// it only writes is "out-only" (what the caller left in it is not
// recorded); "null" is a null pointer and "ptr" a buffer whose bytes are
// not kept. Lines starting with '#' are comments.
#ifndef RECORDING_RECORDING_TEXT_H
#define RECORDING_RECORDING_TEXT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "recorded_call.h"

namespace rec {

// 2: buffers the library only writes are "out-only", without their bytes
// before the call, and a list's "out" line holds only the filled entries.
const int kFormatVersion = 2;

// The first line of every recording, newline included.
std::string recordingHeader();

class HandleBook;

// A finished call as its block of lines. With the book of the services
// held before the call, a control call gets comments: its code's name and
// its record decoded as sent and as returned.
std::string callText(const Call &call, const HandleBook *book = nullptr);

// A call's entry point and arguments on one line, for reports; a buffer
// longer than longestBuffer bytes shows only its size.
std::string callSummary(const Call &call, size_t longestBuffer = SIZE_MAX);

// One argument as callSummary shows it.
std::string argumentText(const Call &call, size_t index, size_t longestBuffer);

// Bytes in hexadecimal, a space after every four.
std::string hexBytes(const void *data, size_t size);

// A text as the library saw it: quoted, at most `limit` bytes, bytes outside
// printable ASCII (and '"', '\') as \xNN; "null" for a null pointer.
std::string quotedText(const char *text, size_t limit);

// Reads a whole recording. A damaged one (no or another version line,
// truncated, bad numbers, texts or hex, sizes no call can have) returns
// false with "line N: <problem>" in *error.
bool parseRecording(const std::string &text, std::vector<Call> *calls, std::string *error);

} // namespace rec

#endif
