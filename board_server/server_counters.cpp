// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "server_counters.h"

#include "kel_status.h"
#include "messages.h"

namespace {

const char *const kReasonLabels[] = {"flood", "client_limit", "address_limit", "authentication",
                                     "protocol"};
static_assert(sizeof kReasonLabels / sizeof kReasonLabels[0] ==
                  static_cast<size_t>(RefusalReason::count),
              "one label per reason");

} // namespace

bool callFailed(KelEntryPoint entry, int32_t result) {
    const rec::EntryShape *shape = proto::shapeAt(static_cast<size_t>(entry));
    return shape != nullptr && shape->returnsHandle ? result <= 0 : KEL_FAILED(result);
}

void ServerCounters::countCall(KelEntryPoint entry, int32_t result) {
    const size_t index = static_cast<size_t>(entry);
    if (index >= calls_.size()) {
        return;
    }
    calls_[index].fetch_add(1, std::memory_order_relaxed);
    if (callFailed(entry, result)) {
        failures_[index].fetch_add(1, std::memory_order_relaxed);
    }
}

void ServerCounters::countRefusal(RefusalReason reason) {
    const size_t index = static_cast<size_t>(reason);
    if (index < refusals_.size()) {
        refusals_[index].fetch_add(1, std::memory_order_relaxed);
    }
}

void ServerCounters::addTo(ServerState *state) const {
    for (size_t index = 0; index < calls_.size(); ++index) {
        const uint64_t calls = calls_[index].load(std::memory_order_relaxed);
        if (calls > 0) {
            const std::string entry = proto::shapeAt(index)->name;
            state->calls[entry] += calls;
            state->callFailures[entry] += failures_[index].load(std::memory_order_relaxed);
        }
    }
    for (size_t index = 0; index < refusals_.size(); ++index) {
        state->refusedConnections[kReasonLabels[index]] +=
            refusals_[index].load(std::memory_order_relaxed);
    }
}

ServerCounters &serverCounters() {
    static ServerCounters *counters = new ServerCounters;
    return *counters;
}
