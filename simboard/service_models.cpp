#include <string.h>

#include "kel_basedds.h"
#include "kel_basefmc.h"
#include "kel_sysmon.h"
#include "service_model.h"
#include "sim_status.h"

namespace sim {

namespace {

class ServiceWithoutModel : public ServiceModel {
public:
    bool configure(const std::string &, const std::string &, std::string *) override {
        return false;
    }
    size_t recordSize(uint32_t) const override { return 0; }
    int32_t control(uint32_t, void *, uint32_t) override { return kUnsupportedCode; }
};

} // namespace

std::unique_ptr<ServiceModel> makeServiceModel(const std::string &serviceName) {
    if (serviceName == KEL_SERVICE_BASEFMC) {
        return makeBaseFmcModel();
    }
    if (serviceName == KEL_SERVICE_BASEDDS) {
        return makeBaseDdsModel();
    }
    if (serviceName == KEL_SERVICE_SYSMON) {
        return makeSysmonModel();
    }
    return std::unique_ptr<ServiceModel>(new ServiceWithoutModel());
}

} // namespace sim
