// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The direct digital synthesizer: master mode, reference clock, output
// frequency, start and strobe modes, and the start of the strobe.
//
// It refuses with KELerr_BAD_MODE what the synthesizer cannot take: a flag
// other than 0 or 1, a reference that is not a positive frequency, an
// output frequency that is not positive or passes half the reference (or
// any output before a reference is set), and START before a strobe mode
// was accepted. A refused setting leaves the kept one as it was. A spy holds
// the service to watch it: every code is refused with KELerr_BAD_MODE.
// The model takes no keys of its own.
#include <math.h>
#include <string.h>

#include "kel_api.h"
#include "kel_basedds.h"
#include "kel_control_records.h"
#include "service_model.h"
#include "sim_status.h"

namespace sim {

namespace {

bool isFlag(uint32_t word) { return word == 0 || word == 1; }

class BaseDdsModel : public ServiceModel {
public:
    bool configure(const std::string &, const std::string &, ServiceFaults *,
                   std::string *) override {
        return false;
    }

    size_t recordSize(uint32_t code) const override {
        return kelControlRecordSize(KEL_SERVICE_BASEDDS, code);
    }

    int32_t control(uint32_t code, void *record, uint32_t grantedMode) override {
        if (recordSize(code) == 0 && code != KELctrl_DDS_START) {
            return kUnsupportedCode;
        }
        if (grantedMode == KEL_MODE_SPY) {
            return kBadMode; // a spy may look, not program
        }
        // Records are copied out whole: the clock mode's frequency sits at
        // offset 4 and may not be read in place.
        switch (code) {
        case KELctrl_DDS_SETMASTER:
            return setMaster(record);
        case KELctrl_DDS_SETCLKMODE:
            return setClockMode(record);
        case KELctrl_DDS_SETOUTFREQ:
            return setOutputFrequency(record, &outputFreq_);
        case KELctrl_DDS_OUTFREQ_AUX:
            return setOutputFrequency(record, &auxOutputFreq_);
        case KELctrl_DDS_SETSTARTMODE:
            return setStartMode(record);
        case KELctrl_DDS_SETSTBMODE:
            return setStrobeMode(record);
        default:
            return start();
        }
    }

private:
    int32_t setMaster(const void *record) {
        uint32_t master;
        memcpy(&master, record, sizeof master);
        if (!isFlag(master)) {
            return kBadMode;
        }
        master_ = master;
        return kOk;
    }

    int32_t setClockMode(const void *record) {
        DdsClockMode clock;
        memcpy(&clock, record, sizeof clock);
        const double referenceFreq = clock.referenceFreq;
        if (!isFlag(clock.source) || !isfinite(referenceFreq) || referenceFreq <= 0.0) {
            return kBadMode;
        }
        clockSource_ = clock.source;
        referenceFreq_ = referenceFreq;
        return kOk;
    }

    // The output can reach half the reference at most, and only once a
    // reference is known (referenceFreq_ stays 0 until then).
    int32_t setOutputFrequency(const void *record, double *kept) const {
        DdsOutFreq output;
        memcpy(&output, record, sizeof output);
        const double outputFreq = output.outputFreq;
        if (!isfinite(outputFreq) || outputFreq <= 0.0 || outputFreq > referenceFreq_ / 2.0) {
            return kBadMode;
        }
        *kept = outputFreq;
        return kOk;
    }

    int32_t setStartMode(const void *record) {
        DdsStartMode startMode;
        memcpy(&startMode, record, sizeof startMode);
        if (!isFlag(startMode.startInverse)) {
            return kBadMode;
        }
        startMode_ = startMode;
        return kOk;
    }

    int32_t setStrobeMode(const void *record) {
        DdsStrobeMode strobe;
        memcpy(&strobe, record, sizeof strobe);
        if (!isFlag(strobe.polarity) || !isFlag(strobe.continuous)) {
            return kBadMode;
        }
        strobe_ = strobe;
        strobeSet_ = true;
        return kOk;
    }

    int32_t start() {
        if (!strobeSet_) {
            return kBadMode;
        }
        running_ = true;
        return kOk;
    }

    uint32_t master_ = 0;
    uint32_t clockSource_ = 0;
    double referenceFreq_ = 0.0;
    double outputFreq_ = 0.0;
    double auxOutputFreq_ = 0.0;
    DdsStartMode startMode_ = {0, 0, 0, 0, 0, 0};
    DdsStrobeMode strobe_ = {0, 0, 0, 0, 0, 0};
    bool strobeSet_ = false;
    bool running_ = false;
};

} // namespace

std::unique_ptr<ServiceModel> makeBaseDdsModel() {
    return std::unique_ptr<ServiceModel>(new BaseDdsModel());
}

} // namespace sim
