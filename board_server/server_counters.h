// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// What the server counts from its start for the metrics file: the library
// calls it served per entry point, the failed ones, and the connections it
// refused per reason. Lock-free counters: every session thread adds to them
// while the metrics writer reads them.
#ifndef BOARD_SERVER_SERVER_COUNTERS_H
#define BOARD_SERVER_SERVER_COUNTERS_H

#include <stdint.h>

#include <array>
#include <atomic>

#include "kel_entry_points.h"
#include "metrics_snapshot.h"

// Why a connection was refused, in short words a label can carry.
enum class RefusalReason {
    flood,          // dropped before its welcome to make room for a new connection
    clientLimit,    // the server serves as many clients as it may
    addressLimit,   // as many as it may from that address
    authentication, // the token was not proven
    protocol,       // no greeting, a wrong version, or silence before the welcome
    count
};

// A call failed when its status has a bit under the status mask; for an
// entry point whose result is a handle, when the result is not a handle
// (0 or negative), as the programs judge a handle.
bool callFailed(KelEntryPoint entry, int32_t result);

class ServerCounters {
public:
    void countCall(KelEntryPoint entry, int32_t result);
    void countRefusal(RefusalReason reason);

    // Adds the counts to the state's calls, callFailures and
    // refusedConnections (an entry point never called is left out).
    void addTo(ServerState *state) const;

private:
    std::array<std::atomic<uint64_t>, kKelEntryPointCount> calls_{};
    std::array<std::atomic<uint64_t>, kKelEntryPointCount> failures_{};
    std::array<std::atomic<uint64_t>, static_cast<size_t>(RefusalReason::count)> refusals_{};
};

// The process's counters; never destroyed, since a session thread may
// still count while the process exits.
ServerCounters &serverCounters();

#endif
