// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// KEL_SERVER_TIMEOUT_MS: how long a client of the board server waits for
// each answer, the same for the remote library and the status query.
#ifndef BOARD_PROTOCOL_SERVER_TIMEOUT_H
#define BOARD_PROTOCOL_SERVER_TIMEOUT_H

namespace proto {

const int kDefaultServerTimeoutMs = 5000;
const int kLongestServerTimeoutMs = 24 * 60 * 60 * 1000;

// The setting, or the default when it is unset. A setting that is no number
// of milliseconds in range is named once on standard error after `speaker`
// ("KEL remote library"), so that a typing error is not mistaken for the
// deadline the operator asked for.
int serverTimeoutSetting(const char *speaker);

} // namespace proto

#endif
