// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// What one metrics file tells: each board's readings and the board server's
// state at one moment. A reading is present only when it was read.
#ifndef BOARD_METRICS_METRICS_SNAPSHOT_H
#define BOARD_METRICS_METRICS_SNAPSHOT_H

#include <stdint.h>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The system monitor's four voltage rails, in the order of their label
// values (kRailNames).
enum Rail { RAIL_VCCINT, RAIL_VCCAUX, RAIL_VREFP, RAIL_VREFN, RAIL_COUNT };

extern const char *const kRailNames[RAIL_COUNT];

struct BoardReadings {
    uint32_t lid = 0;
    std::string board; // the board's name, as KEL_getInfo gives it
    std::optional<double> temperatureCelsius;
    std::array<std::optional<double>, RAIL_COUNT> voltageVolts;
    std::array<std::optional<double>, RAIL_COUNT> nominalVolts;
    uint64_t readFailures = 0; // since the server started, for this board
};

enum CaptureMode { CAPTURE_EXCLUSIVE, CAPTURE_SHARED, CAPTURE_SPY, CAPTURE_MODE_COUNT };

struct ServerState {
    uint32_t clients = 0;
    // Per service: the clients holding it now in each mode.
    std::map<std::string, std::array<uint32_t, CAPTURE_MODE_COUNT>> captures;
    // Per service: the captures waiting for it now.
    std::map<std::string, uint32_t> captureWaits;
    // Per entry point (KEL_open, ...): calls and failed calls since start.
    std::map<std::string, uint64_t> calls;
    std::map<std::string, uint64_t> callFailures;
    // Per reason (authentication, clients_per_address, ...): connections
    // refused since start.
    std::map<std::string, uint64_t> refusedConnections;
};

struct MetricsSnapshot {
    std::vector<BoardReadings> boards;
    ServerState server;
    std::string version;
};

#endif
