// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The C entry points of the simulated board library. Each one goes through
// serve(): the answer comes from the recording when replaying, otherwise
// from the library state; nothing thrown ever crosses into the calling
// program; and the call's trace line is written from what it returned.
#include <string.h>

#include <string>

#include "call_shapes.h"
#include "call_trace.h"
#include "kel_entry_points.h"
#include "replay.h"
#include "sim_library.h"
#include "sim_status.h"

using sim::formatText;
using sim::theLibrary;

namespace {

template <typename Call> int32_t guarded(Call call) {
    try {
        return call();
    } catch (...) {
        return sim::kInternalError;
    }
}

// The one way into the library: `operation` asks the library state, `trace`
// makes the trace line from the result.
template <typename Operation, typename Trace>
int32_t serve(const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments,
              Operation operation, Trace trace) {
    const int32_t result =
        guarded([&] { return sim::replaying() ? sim::replayCall(shape, arguments) : operation(); });
    if (sim::traceEnabled()) {
        try {
            sim::traceLine(trace(result));
        } catch (...) {
        }
    }
    return result;
}

// Statuses are shown in hexadecimal, handles in decimal as the programs pass them on.
std::string result(int32_t status) { return formatText(" = 0x%x", static_cast<uint32_t>(status)); }

std::string handleResult(int32_t handle) { return formatText(" = %d", handle); }

const char *pointerWord(const void *pointer) { return pointer ? "ptr" : "null"; }

std::string countOut(const uint32_t *count) {
    return count ? formatText(" count=%u", *count) : std::string();
}

size_t recordSize(int32_t service, uint32_t code) {
    size_t size = 0;
    guarded([&] {
        size = sim::replaying() ? sim::replayRecordSize(service, code)
                                : theLibrary().recordSize(service, code);
        return 0;
    });
    return size;
}

// The trace line of each entry point: made before the call from what the
// caller passed (a mode or record is shown as it was sent) and finished
// with the result.
namespace traces {

auto displayMode(int32_t mode) {
    return [=](int32_t status) {
        return formatText("KEL_displayMode(0x%x)", static_cast<uint32_t>(mode)) + result(status);
    };
}

auto init(const char *configFile, const int32_t *count) {
    return [=](int32_t status) {
        return "KEL_init(" + sim::quotedText(configFile, 260) + ", " + pointerWord(count) + ")" +
               result(status);
    };
}

auto lidList(const uint32_t *lids, uint32_t capacity, const uint32_t *count) {
    return [=](int32_t status) {
        return formatText("KEL_lidList(%s, %u, %s)", pointerWord(lids), capacity,
                          pointerWord(count)) +
               result(status) + countOut(count);
    };
}

auto getInfo(uint32_t lid, const KEL_BoardInfo *info) {
    return [=](int32_t status) {
        return formatText("KEL_getInfo(%u, %s)", lid, pointerWord(info)) + result(status);
    };
}

auto open(uint32_t lid, uint32_t mode, const uint32_t *grantedMode) {
    return [=](int32_t handle) {
        return formatText("KEL_open(%u, %u, %s)", lid, mode, pointerWord(grantedMode)) +
               handleResult(handle) +
               (grantedMode ? formatText(" granted=%u", *grantedMode) : std::string());
    };
}

auto puList(int32_t device, const KEL_PuEntry *list, uint32_t capacity, const uint32_t *count) {
    return [=](int32_t status) {
        return formatText("KEL_puList(%d, %s, %u, %s)", device, pointerWord(list), capacity,
                          pointerWord(count)) +
               result(status) + countOut(count);
    };
}

auto puState(int32_t device, uint32_t puId, const uint32_t *state) {
    const uint32_t before = state ? *state : 0;
    return [=](int32_t status) {
        return formatText("KEL_puState(%d, 0x%x, %s)", device, puId,
                          state ? formatText("0x%x", before).c_str() : "null") +
               result(status) + (state ? formatText(" state=0x%x", *state) : std::string());
    };
}

auto serviceList(int32_t device, uint32_t reserved, const KEL_ServiceEntry *list, uint32_t capacity,
                 const uint32_t *count) {
    return [=](int32_t status) {
        return formatText("KEL_serviceList(%d, %u, %s, %u, %s)", device, reserved,
                          pointerWord(list), capacity, pointerWord(count)) +
               result(status) + countOut(count);
    };
}

auto capture(int32_t device, uint32_t reserved, const uint32_t *mode, const char *name,
             uint32_t timeout) {
    const std::string asked = mode ? formatText("%u", *mode) : std::string("null");
    return [=](int32_t handle) {
        return formatText("KEL_capture(%d, %u, %s, ", device, reserved, asked.c_str()) +
               sim::quotedText(name, KEL_SERVICE_NAME_SIZE) + formatText(", %u)", timeout) +
               handleResult(handle) + (mode ? formatText(" granted=%u", *mode) : std::string());
    };
}

// The record is traced as sent and, when the call changed it, as returned.
auto ctrl(int32_t service, uint32_t reserved, uint32_t code, const void *record) {
    const size_t size = recordSize(service, code);
    const std::string sent = record == nullptr
                                 ? std::string("null")
                                 : (size > 0 ? "[" + sim::hexBytes(record, size) + "]" : "ptr");
    return [=](int32_t status) {
        std::string line =
            formatText("KEL_ctrl(%d, %u, 0x%x, %s)", service, reserved, code, sent.c_str()) +
            result(status);
        if (record != nullptr && size > 0) {
            const std::string returned = "[" + sim::hexBytes(record, size) + "]";
            if (returned != sent) {
                line += " record=" + returned;
            }
        }
        return line;
    };
}

auto release(int32_t service, uint32_t reserved) {
    return [=](int32_t status) {
        return formatText("KEL_release(%d, %u)", service, reserved) + result(status);
    };
}

auto close(int32_t device) {
    return [=](int32_t status) { return formatText("KEL_close(%d)", device) + result(status); };
}

auto cleanup() {
    return [](int32_t status) { return std::string("KEL_cleanup()") + result(status); };
}

} // namespace traces

} // namespace

// Each entry point of the table, served by the library state of the same name.
#define SIM_ENTRY_POINT(name, type, parameters, arguments)                                         \
    extern "C" KEL_API type KEL_CALL KEL_##name parameters {                                       \
        return serve(                                                                              \
            rec::shapes::name, {KEL_ARGUMENT_ITEMS arguments},                                     \
            [&] { return theLibrary().name arguments; }, traces::name arguments);                  \
    }
KEL_ENTRY_POINTS(SIM_ENTRY_POINT)
