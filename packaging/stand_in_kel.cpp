// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A stand-in for an operator's own board library: it says it was loaded and
// refuses to start, so a package check sees which libKEL.so a program found.
#include "kel_entry_points.h"

#include <stdio.h>

namespace {

// Every entry point refuses, but for the few below.
template <KelEntryPoint> struct StandIn {
    template <typename... Arguments> static int32_t answer(Arguments...) { return -1; }
};

template <> struct StandIn<KelEntryPoint::displayMode> {
    static int32_t answer(int32_t) {
        printf("stand-in board library\n");
        return 0;
    }
};

// No boards, for a program that lists them although the start failed.
template <> struct StandIn<KelEntryPoint::lidList> {
    static int32_t answer(uint32_t *, uint32_t, uint32_t *count) {
        *count = 0;
        return -1;
    }
};

template <> struct StandIn<KelEntryPoint::cleanup> {
    static int32_t answer() { return 0; }
};

} // namespace

#define STAND_IN_ENTRY_POINT(name, type, parameters, arguments)                                    \
    extern "C" KEL_API type KEL_CALL KEL_##name parameters {                                       \
        return StandIn<KelEntryPoint::name>::answer arguments;                                     \
    }
KEL_ENTRY_POINTS(STAND_IN_ENTRY_POINT)
