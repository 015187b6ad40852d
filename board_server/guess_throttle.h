// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Slows the guessing of the token without locking anyone out: a proof from
// a source (connection_source.h) that failed recently waits before it is
// checked, the longer the more it failed (kFirstGuessDelayMs, doubling, at
// most kMaxGuessDelayMs, well inside a client's 5 s for its proof), and
// failures older than kGuessMemoryMs are forgotten. A correct proof is
// never refused, only answered later.
#ifndef BOARD_SERVER_GUESS_THROTTLE_H
#define BOARD_SERVER_GUESS_THROTTLE_H

#include <chrono>
#include <deque>
#include <map>
#include <string>

#include "annotated_mutex.h"
#include "socket_link.h"

const int kFirstGuessDelayMs = 250;
const int kMaxGuessDelayMs = 2000;
const int kGuessMemoryMs = 60 * 1000;

class GuessThrottle {
public:
    using Clock = std::chrono::steady_clock;

    // How long a proof from peer waits before it is checked, now.
    int delayMs(const std::string &peer, Clock::time_point now = Clock::now()) EXCLUDES(mutex_);
    // A proof from peer was checked and was wrong.
    void failed(const std::string &peer, Clock::time_point now = Clock::now()) EXCLUDES(mutex_);

private:
    void forgetBefore(Clock::time_point start) REQUIRES(mutex_);

    Mutex mutex_;
    std::map<std::string, std::deque<Clock::time_point>> failures_ GUARDED_BY(mutex_);
};

// The process's throttle, for a connection's proof: waits the delay of the
// connection's source before the proof is checked; counts a wrong one.
void waitBeforeCheckingProof(PlatSocket socket);
void countFailedProof(PlatSocket socket);

#endif
