// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "handle_book.h"

#include "kel_status.h"
#include "recorded_call.h"

namespace rec {

void HandleBook::follow(const Call &call) {
    const bool succeeded = !KEL_FAILED(call.result);
    if ((call.entry == "KEL_init" || call.entry == "KEL_cleanup") && succeeded) {
        services_.clear();
    } else if (call.entry == "KEL_capture" && call.result > 0 &&
               call.arguments[3].kind == ValueKind::text) {
        services_[call.result] =
            Held{static_cast<int32_t>(call.arguments[0].number), call.arguments[3].text};
    } else if (call.entry == "KEL_release" && succeeded) {
        services_.erase(static_cast<int32_t>(call.arguments[0].number));
    } else if (call.entry == "KEL_close" && succeeded) {
        const int32_t device = static_cast<int32_t>(call.arguments[0].number);
        for (auto held = services_.begin(); held != services_.end();) {
            held = held->second.device == device ? services_.erase(held) : std::next(held);
        }
    }
}

size_t HandleBook::recordSize(int32_t service, uint32_t code) const {
    const KelControlCode *known = controlCode(service, code);
    return known != nullptr && known->record != nullptr ? known->record->size : 0;
}

const std::string *HandleBook::serviceName(int32_t service) const {
    const auto held = services_.find(service);
    return held == services_.end() ? nullptr : &held->second.name;
}

const KelControlCode *HandleBook::controlCode(int32_t service, uint32_t code) const {
    const std::string *name = serviceName(service);
    return name == nullptr ? nullptr : kelControlCode(name->c_str(), code);
}

} // namespace rec
