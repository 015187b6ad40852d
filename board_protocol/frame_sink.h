// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The frames leaving on one connection, sealed once the session has keys.
#ifndef BOARD_PROTOCOL_FRAME_SINK_H
#define BOARD_PROTOCOL_FRAME_SINK_H

#include <memory>
#include <string>

#include "frame_seal.h"
#include "messages.h"
#include "socket_link.h"

namespace proto {

class FrameSink {
public:
    explicit FrameSink(PlatSocket socket) : socket_(socket) {}

    // Sends one whole frame within timeoutMs (sealed when the sink is);
    // false with the reason when it cannot, after which nothing more may be
    // sent on the connection.
    bool send(const Bytes &frame, int timeoutMs, std::string *problem);

    // From now on every frame leaves sealed under `key` (frame_seal.h).
    void seal(const Bytes &key) { seal_.reset(new FrameSeal(key)); }

private:
    PlatSocket socket_;
    std::unique_ptr<FrameSeal> seal_;
};

} // namespace proto

#endif
