// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// What a control call says, in words, for a recording's comments and the
// divergence report: the code's name on the service it was sent to and its
// record decoded field by field, all from board_api's table of codes.
#ifndef RECORDING_CONTROL_COMMENTS_H
#define RECORDING_CONTROL_COMMENTS_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "kel_control_records.h"

namespace rec {

// "outputFreq 100000000, word1 1, word2 1": every field that the bytes hold
// whole; doubles as the shortest decimal that reads back as the same value.
std::string decodedRecord(const KelRecordLayout &layout, const std::vector<uint8_t> &bytes);

// "DdsOutFreq.outputFreq": the field that holds byte `offset`; empty when
// no field does.
std::string fieldAt(const KelRecordLayout &layout, size_t offset);

} // namespace rec

#endif
