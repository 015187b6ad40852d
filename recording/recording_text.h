// The recording's text form: a version line, then one block per call,
// written as the call happens and read back whole by the replay.
//
//   KEL recording 1
//   call 1 KEL_displayMode
//     mode 0x8f
//     = 0x0
//   call 2 KEL_init
//     configFile "kel.ini"
//     count in 00000000
//     = 0x0
//     count out 01000000
//
// Numbers are decimal or 0x hexadecimal; texts are quoted with \xNN for
// every byte outside printable ASCII, '"' and '\'; buffers are their bytes
// in hexadecimal, a space after every four; "null" is a null pointer and
// "ptr" a buffer whose bytes are not kept. Lines starting with '#' are
// comments.
#ifndef RECORDING_RECORDING_TEXT_H
#define RECORDING_RECORDING_TEXT_H

#include <stddef.h>

#include <string>
#include <vector>

#include "recorded_call.h"

namespace rec {

const int kFormatVersion = 1;

// The first line of every recording, newline included.
std::string recordingHeader();

// A finished call as its block of lines.
std::string callText(const Call &call);

// A call's entry point and arguments on one line, for reports.
std::string callSummary(const Call &call);

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
