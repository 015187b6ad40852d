// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// What the replay says when the program does something else than the
// recorded session: the call's number, the recorded form and the one made
// (a buffer past 16 bytes by its size only), and where they first differ:
// the argument and, in a buffer, the byte's offset and the record's field.
#ifndef RECORDING_DIVERGENCE_REPORT_H
#define RECORDING_DIVERGENCE_REPORT_H

#include <stddef.h>

#include <string>

#include "recorded_call.h"

namespace rec {

class HandleBook;

// `recorded` is null for a call past the end of a recording of
// `recordedCalls` calls; `book` holds the services captured before the call
// (null: fields are not named). The text ends with a newline.
std::string divergenceReport(const std::string &file, const Call &live, const Call *recorded,
                             size_t recordedCalls, const HandleBook *book = nullptr);

} // namespace rec

#endif
