// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The log of refused connections, so that a flood cannot fill it: the first
// refusal of a reason is logged at once, the others within the next second
// are counted and logged as one line with their count when it has passed.
#ifndef BOARD_SERVER_REFUSAL_TALLY_H
#define BOARD_SERVER_REFUSAL_TALLY_H

#include <chrono>
#include <map>
#include <string>

#include "annotated_mutex.h"

class RefusalTally {
public:
    using Clock = std::chrono::steady_clock;

    void refused(const std::string &peer, const std::string &reason,
                 Clock::time_point now = Clock::now()) EXCLUDES(mutex_);
    // Logs the counts of the seconds that have passed; the connection loop
    // calls it between connections.
    void flush(Clock::time_point now = Clock::now()) EXCLUDES(mutex_);

private:
    struct Second {
        Clock::time_point start;
        size_t more = 0; // refusals after the one logged
        std::string lastPeer;
    };
    void flushPassed(Clock::time_point now) REQUIRES(mutex_);

    Mutex mutex_;
    std::map<std::string, Second> seconds_ GUARDED_BY(mutex_); // by reason
};

// The process's tally: every refusal of a connection is logged through it.
void logRefusal(const std::string &peer, const std::string &reason);
void flushRefusals();

#endif
