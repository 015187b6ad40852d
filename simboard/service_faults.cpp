// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "service_faults.h"

#include <string.h>

#include <vector>

#include "kel_status.h"
#include "service_model.h"
#include "setting_values.h"

namespace sim {

bool readRecordWrites(const std::string &text, RecordWrites *writes) {
    static const char *const kNames[] = {"always", "first", "never"};
    size_t index = 0;
    if (!readChoice(text, kNames, 3, &index)) {
        return false;
    }
    *writes = static_cast<RecordWrites>(index);
    return true;
}

int32_t controlWithFaults(ServiceModel *model, const ServiceFaults &faults, ControlCalls *calls,
                          uint32_t code, void *record, uint32_t grantedMode) {
    const auto injected = faults.controlStatus.find(code);
    if (injected != faults.controlStatus.end() && KEL_FAILED(injected->second)) {
        return injected->second;
    }
    const unsigned long long call = ++(*calls)[code];
    const auto writes = faults.recordWrites.find(code);
    const size_t size = model->recordSize(code);
    int32_t status = 0;
    if (writes == faults.recordWrites.end() || writes->second == RecordWrites::always ||
        (writes->second == RecordWrites::first && call == 1) || size == 0 || record == nullptr) {
        status = model->control(code, record, grantedMode);
    } else {
        std::vector<unsigned char> copy(size);
        memcpy(copy.data(), record, size);
        status = model->control(code, copy.data(), grantedMode);
    }
    return injected != faults.controlStatus.end() ? injected->second : status;
}

} // namespace sim
