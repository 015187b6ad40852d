// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "guess_throttle.h"

#include <thread>

#include "connection_source.h"

int GuessThrottle::delayMs(const std::string &peer, Clock::time_point now) {
    MutexLock lock(&mutex_);
    forgetBefore(now - std::chrono::milliseconds(kGuessMemoryMs));
    const auto found = failures_.find(connectionSource(peer));
    const size_t failures = found == failures_.end() ? 0 : found->second.size();
    int delay = failures == 0 ? 0 : kFirstGuessDelayMs;
    for (size_t doubling = 1; doubling < failures && delay < kMaxGuessDelayMs; ++doubling) {
        delay *= 2;
    }
    return delay < kMaxGuessDelayMs ? delay : kMaxGuessDelayMs;
}

void GuessThrottle::failed(const std::string &peer, Clock::time_point now) {
    MutexLock lock(&mutex_);
    failures_[connectionSource(peer)].push_back(now);
}

void GuessThrottle::forgetBefore(Clock::time_point start) {
    for (auto source = failures_.begin(); source != failures_.end();) {
        std::deque<Clock::time_point> &times = source->second;
        while (!times.empty() && times.front() < start) {
            times.pop_front();
        }
        source = times.empty() ? failures_.erase(source) : std::next(source);
    }
}

namespace {

GuessThrottle &processThrottle() {
    // Never destroyed: a server thread may still use it while the process
    // exits (a server inside a test or benchmark program ends at exit).
    static GuessThrottle *throttle = new GuessThrottle;
    return *throttle;
}

} // namespace

void waitBeforeCheckingProof(PlatSocket socket) {
    const int delay = processThrottle().delayMs(platPeerAddress(socket));
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
}

void countFailedProof(PlatSocket socket) { processThrottle().failed(platPeerAddress(socket)); }
