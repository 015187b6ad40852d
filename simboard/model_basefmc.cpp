// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The base module's clock switch: numbered outputs, each fed by one of the
// numbered inputs and switched on or off, and the FMC clock mode flags.
//
// Model keys (in a BASEFMC0 service section):
//   switch_outputs = 8   outputs 0 to N-1 exist
//   switch_inputs = 8    inputs 0 to N-1 exist
// An output that was never routed reads back input 0, the switch's state
// after power-up. A spy holds the service to watch it: the commands that
// change the switch are refused with KELerr_BAD_MODE, GETSWITCH is served.
#include <string.h>

#include <vector>

#include "kel_api.h"
#include "kel_basefmc.h"
#include "kel_control_records.h"
#include "service_model.h"
#include "setting_values.h"
#include "sim_status.h"

namespace sim {

namespace {

const int32_t kDefaultSwitchSize = 8;
const int32_t kMaxSwitchSize = 64;
const int32_t kPowerUpInput = 0;

// A switch size from the configuration: 1 to kMaxSwitchSize.
bool parseSwitchSize(const std::string &text, int32_t *size) {
    long long value = 0;
    if (!readInteger(text, &value) || value < 1 || value > kMaxSwitchSize) {
        return false;
    }
    *size = static_cast<int32_t>(value);
    return true;
}

class BaseFmcModel : public ServiceModel {
public:
    BaseFmcModel() { resize(kDefaultSwitchSize); }

    bool configure(const std::string &key, const std::string &value, ServiceFaults *,
                   std::string *error) override {
        int32_t *size = nullptr;
        if (key == "switch_outputs") {
            size = &outputCount_;
        } else if (key == "switch_inputs") {
            size = &inputCount_;
        } else {
            return false;
        }
        if (!parseSwitchSize(value, size)) {
            *error = key + " is a number from 1 to " + std::to_string(kMaxSwitchSize);
            return true;
        }
        resize(outputCount_);
        return true;
    }

    size_t recordSize(uint32_t code) const override {
        return kelControlRecordSize(KEL_SERVICE_BASEFMC, code);
    }

    int32_t control(uint32_t code, void *record, uint32_t grantedMode) override {
        if (recordSize(code) == 0) {
            return kUnsupportedCode;
        }
        if (code == KELctrl_BASEF_GETSWITCH) {
            return getSwitch(record);
        }
        if (grantedMode == KEL_MODE_SPY) {
            return kBadMode; // a spy may look, not change
        }
        switch (code) {
        case KELctrl_BASEF_SETSWITCH:
            return setSwitch(record);
        case KELctrl_BASEF_SWITCHONOFF:
            return switchOnOff(record);
        default:
            return setClockMode(record);
        }
    }

private:
    void resize(int32_t outputs) {
        outputCount_ = outputs;
        routes_.assign(static_cast<size_t>(outputs), kPowerUpInput);
        switchedOn_.assign(static_cast<size_t>(outputs), false);
    }

    bool validOutput(int32_t output) const { return output >= 0 && output < outputCount_; }
    bool validInput(int32_t input) const { return input >= 0 && input < inputCount_; }

    int32_t setSwitch(void *record) {
        SwitchRoute route;
        memcpy(&route, record, sizeof route);
        if (!validOutput(route.output) || !validInput(route.input)) {
            return kBadArgument;
        }
        routes_[static_cast<size_t>(route.output)] = route.input;
        return kOk;
    }

    int32_t getSwitch(void *record) {
        SwitchRoute route;
        memcpy(&route, record, sizeof route);
        if (!validOutput(route.output)) {
            return kBadArgument;
        }
        route.input = routes_[static_cast<size_t>(route.output)];
        memcpy(record, &route, sizeof route);
        return kOk;
    }

    int32_t switchOnOff(void *record) {
        SwitchRoute route;
        memcpy(&route, record, sizeof route);
        if (!validOutput(route.output) || (route.input != 0 && route.input != 1)) {
            return kBadArgument;
        }
        switchedOn_[static_cast<size_t>(route.output)] = route.input == 1;
        return kOk;
    }

    int32_t setClockMode(void *record) {
        FmcClockFlags flags;
        memcpy(&flags, record, sizeof flags);
        // Each flag selects one reference source; both at once is no mode.
        if (flags.refIsSource4 > 1 || flags.refIsSource7 > 1 ||
            (flags.refIsSource4 == 1 && flags.refIsSource7 == 1)) {
            return kBadMode;
        }
        clockFlags_ = flags;
        return kOk;
    }

    int32_t outputCount_ = kDefaultSwitchSize;
    int32_t inputCount_ = kDefaultSwitchSize;
    std::vector<int32_t> routes_;
    std::vector<bool> switchedOn_;
    FmcClockFlags clockFlags_ = {0, 0};
};

} // namespace

std::unique_ptr<ServiceModel> makeBaseFmcModel() {
    return std::unique_ptr<ServiceModel>(new BaseFmcModel());
}

} // namespace sim
