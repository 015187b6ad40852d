#include <errno.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "kel_sysmon.h"
#include "service_model.h"
#include "sim_status.h"

namespace sim {

namespace {

// A system monitor: nominal voltages, and a temperature and four voltages
// that wobble a little from read to read on a fixed pattern, so that tests
// can predict every value. Minimum and maximum run from KEL_init on.

// Steps of the wobble, repeated every eight reads.
const int kWobble[8] = {0, 1, 2, 1, 0, -1, -2, -1};

enum class Writes { always, first, never };

struct Sensor {
    const char *name; // configuration prefix
    double base;
    double step; // wobble unit
    bool fixed = false;
    double drift = 0.0; // added once per read, cumulative
    Writes writes = Writes::always;
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

    // Whether the read that measure() just counted writes its record.
    bool writesRecord() const {
        return writes == Writes::always || (writes == Writes::first && reads == 1);
    }
};

enum SensorIndex { kTemperature, kVccInt, kVccAux, kVrefP, kVrefN, kSensorCount };

bool parseReal(const std::string &text, double *value) {
    const char *start = text.c_str();
    char *end = nullptr;
    errno = 0;
    *value = strtod(start, &end);
    // Underflow to a denormal is a value a hostile board may serve; only an
    // overflowing text (out of even the double's range) is refused.
    return end != start && *end == '\0' && !(errno == ERANGE && isinf(*value));
}

bool parseWrites(const std::string &text, Writes *writes) {
    if (text == "always") {
        *writes = Writes::always;
    } else if (text == "first") {
        *writes = Writes::first;
    } else if (text == "never") {
        *writes = Writes::never;
    } else {
        return false;
    }
    return true;
}

class SysmonModel : public ServiceModel {
public:
    SysmonModel()
        : sensors_{{"temperature", 41.5, 0.25},
                   {"vccint", 1.002, 0.001},
                   {"vccaux", 1.797, 0.001},
                   {"vrefp", 1.249, 0.001},
                   {"vrefn", 0.001, 0.001}} {}

    bool configure(const std::string &key, const std::string &value, std::string *error) override {
        if (key == "nominals_writes") {
            return parsed(parseWrites(value, &nominalsWrites_), key, value, error);
        }
        for (size_t i = 0; i < 4; ++i) {
            if (key == std::string("nominal_") + kNominalNames[i]) {
                return parsed(parseReal(value, &nominals_[i]), key, value, error);
            }
        }
        for (Sensor &sensor : sensors_) {
            const std::string name = sensor.name;
            if (key == name) {
                sensor.fixed = true;
                return parsed(parseReal(value, &sensor.base), key, value, error);
            }
            if (key == name + "_drift") {
                return parsed(parseReal(value, &sensor.drift), key, value, error);
            }
            if (key == name + "_writes") {
                return parsed(parseWrites(value, &sensor.writes), key, value, error);
            }
        }
        return false;
    }

    size_t recordSize(uint32_t code) const override {
        switch (code) {
        case KELctrl_SYSMON_GETTEMP:
        case KELctrl_SYSMON_GETVCCINT:
        case KELctrl_SYSMON_GETVCCAUX:
            return sizeof(SensorReading);
        case KELctrl_SYSMON_GETVREFP:
        case KELctrl_SYSMON_GETVREFN:
            return sizeof(double);
        case KELctrl_SYSMON_GETNOMINALS:
            return sizeof(NominalVoltages);
        default:
            return 0;
        }
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
            *error = "'" + value + "' is not a valid value for " + key;
        }
        return true;
    }

    static int32_t readRange(Sensor *sensor, void *record) {
        const double value = sensor->measure();
        if (sensor->writesRecord()) {
            const SensorReading reading = {value, sensor->minimum, sensor->maximum};
            memcpy(record, &reading, sizeof reading);
        }
        return kOk;
    }

    static int32_t readValue(Sensor *sensor, void *record) {
        const double value = sensor->measure();
        if (sensor->writesRecord()) {
            memcpy(record, &value, sizeof value);
        }
        return kOk;
    }

    int32_t readNominals(void *record) {
        ++nominalReads_;
        if (nominalsWrites_ == Writes::always ||
            (nominalsWrites_ == Writes::first && nominalReads_ == 1)) {
            const NominalVoltages nominal = {nominals_[0], nominals_[1], nominals_[2],
                                             nominals_[3]};
            memcpy(record, &nominal, sizeof nominal);
        }
        return kOk;
    }

    Sensor sensors_[kSensorCount];
    double nominals_[4] = {1.0, 1.8, 1.25, 0.0};
    Writes nominalsWrites_ = Writes::always;
    unsigned long long nominalReads_ = 0;
};

} // namespace

std::unique_ptr<ServiceModel> makeSysmonModel() {
    return std::unique_ptr<ServiceModel>(new SysmonModel());
}

} // namespace sim
