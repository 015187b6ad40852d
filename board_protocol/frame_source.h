// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The frames arriving on one connection, taken from the bytes as they come.
#ifndef BOARD_PROTOCOL_FRAME_SOURCE_H
#define BOARD_PROTOCOL_FRAME_SOURCE_H

#include <string>

#include "messages.h"
#include "socket_link.h"

namespace proto {

enum class Arrival { frame, closed, bad };

class FrameSource {
public:
    explicit FrameSource(PlatSocket socket) : socket_(socket) {}

    // The next frame, whole within timeoutMs: a peer that says nothing, or
    // a byte now and then, gets `closed` with the reason; one that sends
    // what no peer sends gets `bad`.
    Arrival next(Frame *frame, int timeoutMs, std::string *problem);

private:
    PlatSocket socket_;
    Bytes pending_;
};

} // namespace proto

#endif
