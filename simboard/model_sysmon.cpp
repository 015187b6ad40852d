#include "service_model.h"
#include "sim_status.h"

namespace sim {

namespace {

// Placeholder until the service is modelled: refuses every control code.
class SysmonModel : public ServiceModel {
public:
    bool configure(const std::string &, const std::string &, std::string *) override {
        return false;
    }
    size_t recordSize(uint32_t) const override { return 0; }
    int32_t control(uint32_t, void *, uint32_t) override { return kUnsupportedCode; }
};

} // namespace

std::unique_ptr<ServiceModel> makeSysmonModel() {
    return std::unique_ptr<ServiceModel>(new SysmonModel());
}

} // namespace sim
