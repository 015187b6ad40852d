// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The state of the simulated board library: whether it is started, the
// boards with their service models, and the open device and service handles.
// Every operation checks its handles and arguments as a strict board would.
#ifndef SIMBOARD_SIM_LIBRARY_H
#define SIMBOARD_SIM_LIBRARY_H

#include <stdint.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kel_api.h"
#include "service_faults.h"
#include "service_model.h"
#include "sim_config.h"

namespace sim {

struct BoardState {
    BoardConfig config;
    std::vector<std::unique_ptr<ServiceModel>> models; // one per service
    std::vector<ControlCalls> calls;                   // one per service
};

struct OpenDevice {
    size_t board;
};

struct CapturedService {
    int32_t device;
    size_t board;
    size_t service;
    uint32_t mode;
};

class Library {
public:
    int32_t displayMode(int32_t mode);
    int32_t init(const char *configFile, int32_t *count);
    int32_t lidList(uint32_t *lids, uint32_t capacity, uint32_t *count);
    int32_t getInfo(uint32_t lid, KEL_BoardInfo *info);
    int32_t open(uint32_t lid, uint32_t mode, uint32_t *grantedMode);
    int32_t puList(int32_t device, KEL_PuEntry *list, uint32_t capacity, uint32_t *count);
    int32_t puState(int32_t device, uint32_t puId, uint32_t *state);
    int32_t serviceList(int32_t device, uint32_t reserved, KEL_ServiceEntry *list,
                        uint32_t capacity, uint32_t *count);
    // A taken service is refused at once, whatever the timeout: one process
    // never waits for itself.
    int32_t capture(int32_t device, uint32_t reserved, uint32_t *mode, const char *name,
                    uint32_t timeout);
    int32_t ctrl(int32_t service, uint32_t reserved, uint32_t code, void *record);
    int32_t release(int32_t service, uint32_t reserved);
    int32_t close(int32_t device);
    int32_t cleanup();

    // Size of the record a control code takes on a captured service (0 when
    // the handle is not captured or the code takes none); for the trace.
    size_t recordSize(int32_t service, uint32_t code) const;

private:
    const BoardState *boardOfLid(uint32_t lid) const;
    bool deviceOpen(int32_t device) const;
    void releaseHeldBy(int32_t device);

    bool started_ = false;
    std::optional<uint32_t> lidCount_;
    std::vector<BoardState> boards_;
    std::map<int32_t, OpenDevice> devices_;
    std::map<int32_t, CapturedService> services_;
    int32_t nextDevice_ = 1;
    int32_t nextService_ = 0x101;
};

Library &theLibrary();

} // namespace sim

#endif
