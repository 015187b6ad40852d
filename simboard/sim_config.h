// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The simulated boards as the configuration file describes them, with the
// faults it injects. examples/kel_sgen.ini documents every key of the file.
#ifndef SIMBOARD_SIM_CONFIG_H
#define SIMBOARD_SIM_CONFIG_H

#include <stdint.h>

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "service_faults.h"
#include "sim_status.h"

namespace sim {

struct ModelSetting {
    std::string key;
    std::string value;
    int line;
};

struct UnitConfig {
    uint32_t id = 0;
    uint32_t code = 0;
    uint32_t attributes = 0;
    std::string description;
    bool descriptionTerminated = true; // false: fills its field, no NUL
    uint32_t state = 1;                // low byte non-zero: firmware loaded
};

struct ServiceConfig {
    std::string name;
    bool nameTerminated = true;
    uint32_t attributes = 0;
    bool captureFails = false;
    int32_t captureStatus = kBusy;        // returned when the capture fails
    std::optional<uint32_t> grantedMode;  // written back whatever was asked
    std::optional<int32_t> captureHandle; // returned instead of a real handle
    ServiceFaults faults;                 // of its control codes, whatever the model
    std::vector<ModelSetting> modelSettings;
    int line = 0;
};

enum class InfoBehaviour { writes, writesNothing, fails };

struct BoardConfig {
    uint32_t lid = 0;
    std::string name;
    bool nameTerminated = true;
    uint32_t boardType = 0;
    uint32_t pid = 0;
    uint32_t bus = 0;
    uint32_t deviceNumber = 0;
    uint32_t slot = 0;
    InfoBehaviour info = InfoBehaviour::writes;
    bool openFails = false;
    int32_t openStatus = kOpenFailed;  // returned when the open fails
    std::optional<uint32_t> openMode;  // granted mode written back
    std::optional<int32_t> openHandle; // returned instead of a real handle
    std::optional<uint32_t> unitCount; // count reported instead of the real one
    int32_t unitListStatus = 0;
    // A failing unitListStatus still fills the list, as a library may.
    bool unitListFilledOnFailure = false;
    std::optional<uint32_t> serviceCount;
    std::vector<UnitConfig> units;
    std::vector<ServiceConfig> services;
};

struct LibraryConfig {
    int32_t initStatus = 0;
    std::optional<uint32_t> lidCount; // count reported instead of the real one
    std::vector<BoardConfig> boards;
};

struct ConfigError : std::runtime_error {
    ConfigError(int lineNumber, const std::string &problem)
        : std::runtime_error(problem), line(lineNumber) {}
    int line;
};

// Parses a configuration text; throws ConfigError naming the line.
LibraryConfig parseConfiguration(const std::string &text);

// The board served when the configuration file is absent.
extern const char *const kDefaultConfiguration;

} // namespace sim

#endif
