// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The comment lines at the head of a recording that say what it is: the
// program and its command line, the working directory, the recorder's
// version, the board library with its size and time, the system, and when
// it was recorded. Readers skip them.
#ifndef RECORDER_RECORDING_HEAD_H
#define RECORDER_RECORDING_HEAD_H

#include <string>

// The version line and the comments, for the board library at `library`.
std::string recordingHead(const std::string &library);

// A text made safe for one comment line: control bytes become \xNN.
std::string commentText(const std::string &text);

#endif
