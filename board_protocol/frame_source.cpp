// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "frame_source.h"

#include <chrono>

namespace proto {

ReadStatus FrameSource::take(Frame *frame, std::string *problem) {
    size_t used = 0;
    if (!seal_) {
        const ReadStatus status =
            readFrame(pending_.data(), pending_.size(), frame, &used, problem);
        if (status == ReadStatus::complete) {
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(used));
        }
        return status;
    }
    Bytes plain;
    const ReadStatus status = seal_->open(pending_.data(), pending_.size(), &plain, &used, problem);
    if (status != ReadStatus::complete) {
        return status;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(used));
    // What opened was sealed by the peer, but must still be one whole frame
    // that a peer sends.
    size_t plainUsed = 0;
    const ReadStatus inner = readFrame(plain.data(), plain.size(), frame, &plainUsed, problem);
    if (inner == ReadStatus::bad) {
        return inner;
    }
    if (inner == ReadStatus::incomplete || plainUsed != plain.size()) {
        *problem = "a sealed message that holds no whole message";
        return ReadStatus::bad;
    }
    return ReadStatus::complete;
}

Arrival FrameSource::next(Frame *frame, int timeoutMs, std::string *problem) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::string silent = "no answer within " + std::to_string(timeoutMs) + " ms";
    timedOut_ = false;
    for (;;) {
        switch (take(frame, problem)) {
        case ReadStatus::complete:
            return Arrival::frame;
        case ReadStatus::bad:
            return Arrival::bad;
        case ReadStatus::incomplete:
            break;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            *problem = silent;
            timedOut_ = true;
            return Arrival::closed;
        }
        uint8_t chunk[16384];
        const long got = platReceive(socket_, chunk, sizeof chunk, static_cast<int>(left.count()));
        if (got > 0) {
            pending_.insert(pending_.end(), chunk, chunk + got);
            continue;
        }
        *problem = got == kReceiveClosed     ? "the connection was closed"
                   : got == kReceiveTimedOut ? silent
                                             : "the connection failed";
        timedOut_ = got == kReceiveTimedOut;
        return Arrival::closed;
    }
}

} // namespace proto
