// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "frame_source.h"

#include <chrono>

namespace proto {

Arrival FrameSource::next(Frame *frame, int timeoutMs, std::string *problem) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::string silent = "no answer within " + std::to_string(timeoutMs) + " ms";
    for (;;) {
        size_t used = 0;
        switch (readFrame(pending_.data(), pending_.size(), frame, &used, problem)) {
        case ReadStatus::complete:
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(used));
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
        return Arrival::closed;
    }
}

} // namespace proto
