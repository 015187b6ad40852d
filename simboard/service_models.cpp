// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The table of service models: one row per simulated service (see
// service_model.h for adding one).
#include "kel_basedds.h"
#include "kel_basefmc.h"
#include "kel_sysmon.h"
#include "service_model.h"
#include "sim_status.h"

namespace sim {

std::unique_ptr<ServiceModel> makeBaseFmcModel();
std::unique_ptr<ServiceModel> makeBaseDdsModel();
std::unique_ptr<ServiceModel> makeSysmonModel();

namespace {

struct ServiceModelRow {
    const char *serviceName;
    std::unique_ptr<ServiceModel> (*make)();
};

const ServiceModelRow kServiceModels[] = {
    {KEL_SERVICE_BASEFMC, makeBaseFmcModel},
    {KEL_SERVICE_BASEDDS, makeBaseDdsModel},
    {KEL_SERVICE_SYSMON, makeSysmonModel},
};

class ServiceWithoutModel : public ServiceModel {
public:
    bool configure(const std::string &, const std::string &, ServiceFaults *,
                   std::string *) override {
        return false;
    }
    size_t recordSize(uint32_t) const override { return 0; }
    int32_t control(uint32_t, void *, uint32_t) override { return kUnsupportedCode; }
};

} // namespace

std::unique_ptr<ServiceModel> makeServiceModel(const std::string &serviceName) {
    for (const ServiceModelRow &row : kServiceModels) {
        if (serviceName == row.serviceName) {
            return row.make();
        }
    }
    return std::unique_ptr<ServiceModel>(new ServiceWithoutModel());
}

std::string badValueError(const std::string &key, const std::string &value) {
    return "'" + value + "' is not a valid value for " + key;
}

} // namespace sim
