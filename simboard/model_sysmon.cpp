// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <string.h>

#include <vector>

#include "kel_control_records.h"
#include "kel_sysmon.h"
#include "service_model.h"
#include "setting_values.h"
#include "sim_status.h"

namespace sim {

namespace {

// A system monitor: nominal voltages, and a temperature and four voltages
// that wobble a little from read to read on a fixed pattern, so that tests
// can predict every value. Minimum and maximum run from KEL_init on. The
// "<sensor>_writes" and "nominals_writes" keys name the shared unwritten-
// record fault of the sensor's or the nominals' control code. For soak
// demonstrations a sensor can follow a course: a drift that stops after a
// number of reads, steps from a given read on, and excursions for a number
// of reads (reads are numbered from 1, per sensor, from KEL_init on).

// Steps of the wobble, repeated every eight reads.
const int kWobble[8] = {0, 1, 2, 1, 0, -1, -2, -1};

// A change of a sensor's value from one read on: for a number of reads (an
// excursion), or for good (a step, reads 0).
struct Change {
    unsigned long long from;
    unsigned long long reads;
    double by;

    bool appliesTo(unsigned long long read) const {
        return read >= from && (reads == 0 || read - from < reads);
    }
};

struct Sensor {
    const char *name; // configuration prefix
    uint32_t code;    // the control code that reads it
    double base;
    double step; // wobble unit
    bool fixed = false;
    double drift = 0.0;                // added once per read, cumulative
    unsigned long long driftReads = 0; // reads after which the drift stops; 0: never
    std::vector<Change> changes = {};
    unsigned long long reads = 0;
    double minimum = 0.0;
    double maximum = 0.0;

    // The value of the next read; updates the reads and the range.
    double measure() {
        const double wobble = fixed ? 0.0 : kWobble[reads % 8] * step;
        const unsigned long long drifted =
            driftReads != 0 && reads > driftReads ? driftReads : reads;
        double value = base + wobble + drift * static_cast<double>(drifted);
        for (const Change &change : changes) {
            if (change.appliesTo(reads + 1)) {
                value += change.by;
            }
        }
        if (reads == 0 || value < minimum) {
            minimum = value;
        }
        if (reads == 0 || value > maximum) {
            maximum = value;
        }
        ++reads;
        return value;
    }
};

enum SensorIndex { kTemperature, kVccInt, kVccAux, kVrefP, kVrefN, kSensorCount };

class SysmonModel : public ServiceModel {
public:
    SysmonModel()
        : sensors_{{"temperature", KELctrl_SYSMON_GETTEMP, 41.5, 0.25},
                   {"vccint", KELctrl_SYSMON_GETVCCINT, 1.002, 0.001},
                   {"vccaux", KELctrl_SYSMON_GETVCCAUX, 1.797, 0.001},
                   {"vrefp", KELctrl_SYSMON_GETVREFP, 1.249, 0.001},
                   {"vrefn", KELctrl_SYSMON_GETVREFN, 0.001, 0.001}} {}

    bool configure(const std::string &key, const std::string &value, ServiceFaults *faults,
                   std::string *error) override {
        if (key == "nominals_writes") {
            return parsed(readWrites(value, KELctrl_SYSMON_GETNOMINALS, faults), key, value, error);
        }
        for (size_t i = 0; i < 4; ++i) {
            if (key == std::string("nominal_") + kNominalNames[i]) {
                return parsed(readReal(value, &nominals_[i]), key, value, error);
            }
        }
        for (Sensor &sensor : sensors_) {
            const std::string name = sensor.name;
            if (key == name) {
                sensor.fixed = true;
                return parsed(readReal(value, &sensor.base), key, value, error);
            }
            if (key == name + "_drift") {
                return parsed(readReal(value, &sensor.drift), key, value, error);
            }
            if (key == name + "_drift_reads") {
                return parsed(readCount(value, &sensor.driftReads), key, value, error);
            }
            if (key == name + "_step") {
                return parsed(readChanges(value, false, &sensor.changes), key, value, error);
            }
            if (key == name + "_excursion") {
                return parsed(readChanges(value, true, &sensor.changes), key, value, error);
            }
            if (key == name + "_writes") {
                return parsed(readWrites(value, sensor.code, faults), key, value, error);
            }
        }
        return false;
    }

    size_t recordSize(uint32_t code) const override {
        return kelControlRecordSize(KEL_SERVICE_SYSMON, code);
    }

    int32_t control(uint32_t code, void *record, uint32_t) override {
        switch (code) {
        case KELctrl_SYSMON_GETTEMP:
            return readRange(&sensors_[kTemperature], record);
        case KELctrl_SYSMON_GETVCCINT:
            return readRange(&sensors_[kVccInt], record);
        case KELctrl_SYSMON_GETVCCAUX:
            return readRange(&sensors_[kVccAux], record);
        case KELctrl_SYSMON_GETVREFP:
            return readValue(&sensors_[kVrefP], record);
        case KELctrl_SYSMON_GETVREFN:
            return readValue(&sensors_[kVrefN], record);
        case KELctrl_SYSMON_GETNOMINALS:
            return readNominals(record);
        default:
            return kUnsupportedCode;
        }
    }

private:
    static constexpr const char *kNominalNames[4] = {"vccint", "vccaux", "vrefp", "vrefn"};

    static bool parsed(bool ok, const std::string &key, const std::string &value,
                       std::string *error) {
        if (!ok) {
            *error = badValueError(key, value);
        }
        return true;
    }

    static bool readCount(const std::string &text, unsigned long long *count) {
        long long number = 0;
        if (!readInteger(trimmed(text), &number) || number < 1) {
            return false;
        }
        *count = static_cast<unsigned long long>(number);
        return true;
    }

    // "READ:CHANGE, ..." for steps, "READ:COUNT:CHANGE, ..." for excursions.
    static bool readChanges(const std::string &text, bool excursion, std::vector<Change> *into) {
        std::vector<Change> changes = {};
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(',', start);
            if (end == std::string::npos) {
                end = text.size();
            }
            const std::string entry = text.substr(start, end - start);
            const size_t first = entry.find(':');
            const size_t last = entry.rfind(':');
            if (first == std::string::npos || (excursion == (first == last))) {
                return false;
            }
            Change change = {0, 0, 0.0};
            if (!readCount(entry.substr(0, first), &change.from) ||
                (excursion &&
                 !readCount(entry.substr(first + 1, last - first - 1), &change.reads)) ||
                !readReal(trimmed(entry.substr(last + 1)), &change.by)) {
                return false;
            }
            changes.push_back(change);
            start = end + 1;
        }
        into->insert(into->end(), changes.begin(), changes.end());
        return true;
    }

    static bool readWrites(const std::string &value, uint32_t code, ServiceFaults *faults) {
        RecordWrites writes = RecordWrites::always;
        if (!readRecordWrites(value, &writes)) {
            return false;
        }
        faults->recordWrites[code] = writes;
        return true;
    }

    static int32_t readRange(Sensor *sensor, void *record) {
        const double value = sensor->measure();
        const SensorReading reading = {value, sensor->minimum, sensor->maximum};
        memcpy(record, &reading, sizeof reading);
        return kOk;
    }

    static int32_t readValue(Sensor *sensor, void *record) {
        const double value = sensor->measure();
        memcpy(record, &value, sizeof value);
        return kOk;
    }

    int32_t readNominals(void *record) const {
        const NominalVoltages nominal = {nominals_[0], nominals_[1], nominals_[2], nominals_[3]};
        memcpy(record, &nominal, sizeof nominal);
        return kOk;
    }

    Sensor sensors_[kSensorCount];
    double nominals_[4] = {1.0, 1.8, 1.25, 0.0};
};

} // namespace

std::unique_ptr<ServiceModel> makeSysmonModel() {
    return std::unique_ptr<ServiceModel>(new SysmonModel());
}

} // namespace sim
