#include <string.h>

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
// record fault of the sensor's or the nominals' control code.

// Steps of the wobble, repeated every eight reads.
const int kWobble[8] = {0, 1, 2, 1, 0, -1, -2, -1};

struct Sensor {
    const char *name; // configuration prefix
    uint32_t code;    // the control code that reads it
    double base;
    double step; // wobble unit
    bool fixed = false;
    double drift = 0.0; // added once per read, cumulative
    unsigned long long reads = 0;
    double minimum = 0.0;
    double maximum = 0.0;

    // The value of the next read; updates the reads and the range.
    double measure() {
        const double wobble = fixed ? 0.0 : kWobble[reads % 8] * step;
        const double value = base + wobble + drift * static_cast<double>(reads);
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
