// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "refusal_tally.h"

#include "server_log.h"

void RefusalTally::refused(const std::string &peer, const std::string &reason,
                           Clock::time_point now) {
    MutexLock lock(&mutex_);
    flushPassed(now);
    const auto found = seconds_.find(reason);
    if (found == seconds_.end()) {
        logLine("connection from " + peer + " refused: " + reason);
        seconds_[reason].start = now;
        return;
    }
    ++found->second.more;
    found->second.lastPeer = peer;
}

void RefusalTally::flush(Clock::time_point now) {
    MutexLock lock(&mutex_);
    flushPassed(now);
}

void RefusalTally::flushPassed(Clock::time_point now) {
    for (auto entry = seconds_.begin(); entry != seconds_.end();) {
        Second &second = entry->second;
        if (now - second.start < std::chrono::seconds(1)) {
            ++entry;
            continue;
        }
        if (second.more == 0) { // the flood, if any, is over
            entry = seconds_.erase(entry);
            continue;
        }
        logLine(std::to_string(second.more) + " more connections refused within a second (the " +
                "last from " + second.lastPeer + "): " + entry->first);
        second = Second();
        second.start = now;
        ++entry;
    }
}

namespace {

RefusalTally &processTally() {
    // Never destroyed: a server thread may still use it while the process
    // exits (a server inside a test or benchmark program ends at exit).
    static RefusalTally *tally = new RefusalTally;
    return *tally;
}

} // namespace

void logRefusal(const std::string &peer, const std::string &reason) {
    processTally().refused(peer, reason);
}

void flushRefusals() { processTally().flush(); }
