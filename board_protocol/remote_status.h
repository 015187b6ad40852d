// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Statuses the remote board library and the board server give beyond the
// board library's own: failures under the status mask and negative as
// handles.
#ifndef BOARD_PROTOCOL_REMOTE_STATUS_H
#define BOARD_PROTOCOL_REMOTE_STATUS_H

#include <stdint.h>

namespace proto {

// The board server cannot be reached, went away, refused the connection or
// did not answer in time; every later call gives it at once.
const int32_t kServerUnreachable = static_cast<int32_t>(0xC0000120u);

// A call the protocol cannot carry (a control record whose size is not
// known, a buffer past the largest carried) or that the server refused.
const int32_t kCallNotCarried = static_cast<int32_t>(0xC0000121u);

// The server refused the client: it speaks another protocol version or
// serves as many clients as it may.
const int32_t kServerRefused = static_cast<int32_t>(0xC0000122u);

// KEL_init named a configuration file that is not a plain file name (a
// folder part, a drive, `..`): the server reads none outside its folder.
const int32_t kConfigurationNameRefused = static_cast<int32_t>(0xC0000123u);

// Another client's handle: the status the simulated library gives for a
// handle that is not open.
const int32_t kHandleNotOpen = static_cast<int32_t>(0xC0000102u);

} // namespace proto

#endif
