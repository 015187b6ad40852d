// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Who holds what at one moment, as the broker's books have it: for the
// status query, the log and the metrics. A copy, taken under the broker's
// lock and read without it.
#ifndef BOARD_SERVER_BROKER_SNAPSHOT_H
#define BOARD_SERVER_BROKER_SNAPSHOT_H

#include <stdint.h>

#include <chrono>
#include <string>
#include <vector>

using WallClock = std::chrono::system_clock;

// Who a client is: the name its remote library gave ("demo_sgen[4711]")
// and the address it connected from. `internal`: the server's own reader,
// which the status query does not list.
struct ClientIdentity {
    std::string name;
    std::string address;
    bool internal = false;
};

struct HeldService {
    std::string service;
    uint32_t lid = 0;
    uint32_t mode = 0; // KEL_MODE_EXCLUSIVE, _SHARED or _SPY, as granted
    int32_t handle = 0;
    WallClock::time_point since;
};

struct WaitedService {
    std::string service;
    uint32_t lid = 0;
    uint32_t mode = 0; // as asked
    WallClock::time_point since;
};

struct ClientState {
    unsigned number = 0;
    ClientIdentity identity;
    WallClock::time_point connected;
    std::vector<HeldService> holdings;
    std::vector<WaitedService> waits; // at most one: a client's calls come one at a time
};

struct BrokerSnapshot {
    bool libraryStarted = false;
    std::vector<ClientState> clients; // by number
};

#endif
