// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The remote board library's C entry points: each call goes to the board
// server (server_link.h) and comes back with the board library's result and
// writes. Nothing thrown crosses into the calling program.
#include "kel_entry_points.h"
#include "remote_status.h"
#include "server_link.h"

namespace {

int32_t guardedCall(const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments) {
    try {
        return remote::forwardCall(shape, arguments);
    } catch (...) {
        return proto::kCallNotCarried;
    }
}

} // namespace

#define REMOTE_ENTRY_POINT(name, type, parameters, arguments)                                      \
    extern "C" KEL_API type KEL_CALL KEL_##name parameters {                                       \
        return guardedCall(rec::shapes::name, {KEL_ARGUMENT_ITEMS arguments});                     \
    }
KEL_ENTRY_POINTS(REMOTE_ENTRY_POINT)
