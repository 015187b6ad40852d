// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "library_call.h"

#include <string.h>

#include <type_traits>
#include <utility>
#include <vector>

#include "kel_entry_points.h"
#include "remote_status.h"

namespace {

// One argument as the library takes it.
struct Slot {
    uint32_t number = 0;
    void *pointer = nullptr;
};

template <typename Type>
typename std::enable_if<std::is_pointer<Type>::value, Type>::type slotAs(const Slot &slot) {
    return static_cast<Type>(slot.pointer);
}

template <typename Type>
typename std::enable_if<!std::is_pointer<Type>::value, Type>::type slotAs(const Slot &slot) {
    return static_cast<Type>(slot.number);
}

template <typename Result, typename... Parameters, size_t... Index>
Result callWith(Result(KEL_CALL *function)(Parameters...), const std::vector<Slot> &slots,
                std::index_sequence<Index...>) {
    if (slots.size() != sizeof...(Parameters)) {
        return proto::kCallNotCarried;
    }
    return function(slotAs<Parameters>(slots[Index])...);
}

template <typename Result, typename... Parameters>
Result callWith(Result(KEL_CALL *function)(Parameters...), const std::vector<Slot> &slots) {
    return callWith(function, slots, std::index_sequence_for<Parameters...>());
}

int32_t dispatch(const RealLibrary &real, KelEntryPoint entry, const std::vector<Slot> &slots) {
    switch (entry) {
#define LIBRARY_CALL_CASE(name, type, parameters, arguments)                                       \
    case KelEntryPoint::name:                                                                      \
        return callWith(real.name, slots);
        KEL_ENTRY_POINTS(LIBRARY_CALL_CASE)
#undef LIBRARY_CALL_CASE
    }
    return 0;
}

} // namespace

void callLibrary(const RealLibrary &real, rec::Call *call) {
    if (call->entryIndex < 0 || call->entryIndex >= kKelEntryPointCount) {
        call->result = proto::kCallNotCarried;
        return;
    }
    // Buffers of no bytes still reach the library as a pointer, not null:
    // this call's own, so that calls on several threads share nothing.
    uint8_t emptyBuffer[8] = {};
    std::vector<Slot> slots(call->arguments.size());
    for (size_t i = 0; i < call->arguments.size(); ++i) {
        rec::Value &value = call->arguments[i];
        switch (value.kind) {
        case rec::ValueKind::number:
            slots[i].number = value.number;
            break;
        case rec::ValueKind::text:
            slots[i].pointer = &value.text[0];
            break;
        case rec::ValueKind::pointer:
            slots[i].pointer = emptyBuffer;
            break;
        case rec::ValueKind::bytes:
        case rec::ValueKind::outOnly:
            value.after = value.before;
            value.after.resize(value.size);
            slots[i].pointer = value.after.data();
            break;
        case rec::ValueKind::null:
            break;
        }
    }
    call->result = dispatch(real, static_cast<KelEntryPoint>(call->entryIndex), slots);
    for (rec::Value &value : call->arguments) {
        if (value.kind == rec::ValueKind::bytes || value.kind == rec::ValueKind::outOnly) {
            value.written = value.after != value.before;
            if (!value.written) {
                value.after.clear();
            }
        }
    }
}
