// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "frame_sink.h"

namespace proto {

bool FrameSink::send(const Bytes &frame, int timeoutMs, std::string *problem) {
    if (!seal_) {
        return platSendAll(socket_, frame.data(), frame.size(), timeoutMs, problem);
    }
    Bytes sealed;
    return seal_->seal(frame, &sealed, problem) &&
           platSendAll(socket_, sealed.data(), sealed.size(), timeoutMs, problem);
}

} // namespace proto
