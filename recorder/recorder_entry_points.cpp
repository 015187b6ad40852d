// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The recorder's C entry points: each describes the call, forwards it to
// the board library unchanged and writes what happened. The caller gets
// exactly the library's result and writes (a counted list the library only
// writes is handed to it cleared: what it leaves unwritten reads as zero,
// as the replay gives it back); nothing thrown while recording crosses into
// the calling program.
#include "call_shapes.h"
#include "kel_entry_points.h"
#include "recording_session.h"
#include "recording_status.h"

namespace {

template <typename Forward>
int32_t recordCall(const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments,
                   Forward forward) {
    const RealLibrary *real = startedSession();
    if (real == nullptr) {
        return rec::kRecordingUnusable;
    }
    rec::Call call;
    bool described = false;
    try {
        call = rec::describeCall(shape, arguments, sessionBook());
        rec::clearCountedLists(&call);
        described = true;
    } catch (...) {
    }
    const int32_t result = forward(*real);
    if (described) {
        try {
            call.result = result;
            rec::noteWrites(&call);
            writeCall(&call);
        } catch (...) {
        }
    }
    return result;
}

} // namespace

// Each entry point of the table: described, forwarded, written.
#define RECORDER_ENTRY_POINT(name, type, parameters, arguments)                                    \
    extern "C" KEL_API type KEL_CALL KEL_##name parameters {                                       \
        return recordCall(rec::shapes::name, {KEL_ARGUMENT_ITEMS arguments},                       \
                          [&](const RealLibrary &real) { return real.name arguments; });           \
    }
KEL_ENTRY_POINTS(RECORDER_ENTRY_POINT)
