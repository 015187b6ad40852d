// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The frames arriving on one connection, taken from the bytes as they come.
#ifndef BOARD_PROTOCOL_FRAME_SOURCE_H
#define BOARD_PROTOCOL_FRAME_SOURCE_H

#include <memory>
#include <string>

#include "frame_seal.h"
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
    // A frame that does not open, once sealed, is `bad`.
    Arrival next(Frame *frame, int timeoutMs, std::string *problem);

    // Whether the last `closed` was the time running out (the peer silent),
    // not the connection ending or failing.
    bool timedOut() const { return timedOut_; }

    // From now on every frame arrives sealed under `key` (frame_seal.h).
    void expectSealed(const Bytes &key) { seal_.reset(new FrameSeal(key)); }

private:
    // One whole frame at the start of pending_, opened first when sealed.
    ReadStatus take(Frame *frame, std::string *problem);

    PlatSocket socket_;
    Bytes pending_;
    std::unique_ptr<FrameSeal> seal_;
    bool timedOut_ = false;
};

} // namespace proto

#endif
