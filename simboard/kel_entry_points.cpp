// The C entry points of the simulated board library. Each one hands over to
// the library state, writes its trace line and catches everything: no C++
// exception ever crosses into the calling program.
#include <string.h>

#include <string>

#include "../board_api/kel_api.h"
#include "call_trace.h"
#include "sim_library.h"
#include "sim_status.h"

using sim::formatText;
using sim::theLibrary;
using sim::traceLine;

namespace {

template <typename Call> int32_t guarded(Call call) {
    try {
        return call();
    } catch (...) {
        return sim::kInternalError;
    }
}

// Statuses are shown in hexadecimal, handles in decimal as the programs pass them on.
std::string result(int32_t status) { return formatText(" = 0x%x", static_cast<uint32_t>(status)); }

std::string handleResult(int32_t handle) { return formatText(" = %d", handle); }

const char *pointerWord(const void *pointer) { return pointer ? "ptr" : "null"; }

std::string countOut(const uint32_t *count) {
    return count ? formatText(" count=%u", *count) : std::string();
}

void traceSafely(const std::string &line) {
    try {
        traceLine(line);
    } catch (...) {
    }
}

} // namespace

extern "C" {

KEL_API int32_t KEL_CALL KEL_displayMode(int32_t mode) {
    const int32_t status = guarded([&] { return theLibrary().displayMode(mode); });
    traceSafely(formatText("KEL_displayMode(0x%x)", static_cast<uint32_t>(mode)) + result(status));
    return status;
}

KEL_API int32_t KEL_CALL KEL_init(const char *configFile, int32_t *count) {
    const int32_t status = guarded([&] { return theLibrary().init(configFile, count); });
    traceSafely("KEL_init(" + sim::quotedText(configFile, 260) + ", " + pointerWord(count) + ")" +
                result(status));
    return status;
}

KEL_API int32_t KEL_CALL KEL_lidList(uint32_t *lids, uint32_t capacity, uint32_t *count) {
    const int32_t status = guarded([&] { return theLibrary().lidList(lids, capacity, count); });
    traceSafely(
        formatText("KEL_lidList(%s, %u, %s)", pointerWord(lids), capacity, pointerWord(count)) +
        result(status) + countOut(count));
    return status;
}

KEL_API int32_t KEL_CALL KEL_getInfo(uint32_t lid, KEL_BoardInfo *info) {
    const int32_t status = guarded([&] { return theLibrary().getInfo(lid, info); });
    traceSafely(formatText("KEL_getInfo(%u, %s)", lid, pointerWord(info)) + result(status));
    return status;
}

KEL_API int32_t KEL_CALL KEL_open(uint32_t lid, uint32_t mode, uint32_t *grantedMode) {
    const int32_t handle = guarded([&] { return theLibrary().open(lid, mode, grantedMode); });
    traceSafely(formatText("KEL_open(%u, %u, %s)", lid, mode, pointerWord(grantedMode)) +
                handleResult(handle) +
                (grantedMode ? formatText(" granted=%u", *grantedMode) : std::string()));
    return handle;
}

KEL_API int32_t KEL_CALL KEL_puList(int32_t device, KEL_PuEntry *list, uint32_t capacity,
                                    uint32_t *count) {
    const int32_t status =
        guarded([&] { return theLibrary().puList(device, list, capacity, count); });
    traceSafely(formatText("KEL_puList(%d, %s, %u, %s)", device, pointerWord(list), capacity,
                           pointerWord(count)) +
                result(status) + countOut(count));
    return status;
}

KEL_API int32_t KEL_CALL KEL_puState(int32_t device, uint32_t puId, uint32_t *state) {
    const uint32_t before = state ? *state : 0;
    const int32_t status = guarded([&] { return theLibrary().puState(device, puId, state); });
    traceSafely(formatText("KEL_puState(%d, 0x%x, %s)", device, puId,
                           state ? formatText("0x%x", before).c_str() : "null") +
                result(status) + (state ? formatText(" state=0x%x", *state) : std::string()));
    return status;
}

KEL_API int32_t KEL_CALL KEL_serviceList(int32_t device, uint32_t reserved, KEL_ServiceEntry *list,
                                         uint32_t capacity, uint32_t *count) {
    const int32_t status =
        guarded([&] { return theLibrary().serviceList(device, reserved, list, capacity, count); });
    traceSafely(formatText("KEL_serviceList(%d, %u, %s, %u, %s)", device, reserved,
                           pointerWord(list), capacity, pointerWord(count)) +
                result(status) + countOut(count));
    return status;
}

KEL_API int32_t KEL_CALL KEL_capture(int32_t device, uint32_t reserved, uint32_t *mode,
                                     const char *name, uint32_t timeout) {
    const std::string asked = mode ? formatText("%u", *mode) : std::string("null");
    const int32_t handle =
        guarded([&] { return theLibrary().capture(device, reserved, mode, name); });
    traceSafely(formatText("KEL_capture(%d, %u, %s, ", device, reserved, asked.c_str()) +
                sim::quotedText(name, KEL_SERVICE_NAME_SIZE) + formatText(", %u)", timeout) +
                handleResult(handle) + (mode ? formatText(" granted=%u", *mode) : std::string()));
    return handle;
}

KEL_API int32_t KEL_CALL KEL_ctrl(int32_t service, uint32_t reserved, uint32_t code, void *record) {
    // The record is traced as sent and, when the call changed it, as returned.
    size_t size = 0;
    guarded([&] {
        size = theLibrary().recordSize(service, code);
        return 0;
    });
    const std::string sent = record == nullptr
                                 ? std::string("null")
                                 : (size > 0 ? "[" + sim::hexBytes(record, size) + "]" : "ptr");
    const int32_t status =
        guarded([&] { return theLibrary().ctrl(service, reserved, code, record); });
    std::string line =
        formatText("KEL_ctrl(%d, %u, 0x%x, %s)", service, reserved, code, sent.c_str()) +
        result(status);
    if (record != nullptr && size > 0) {
        const std::string returned = "[" + sim::hexBytes(record, size) + "]";
        if (returned != sent) {
            line += " record=" + returned;
        }
    }
    traceSafely(line);
    return status;
}

KEL_API int32_t KEL_CALL KEL_release(int32_t service, uint32_t reserved) {
    const int32_t status = guarded([&] { return theLibrary().release(service, reserved); });
    traceSafely(formatText("KEL_release(%d, %u)", service, reserved) + result(status));
    return status;
}

KEL_API int32_t KEL_CALL KEL_close(int32_t device) {
    const int32_t status = guarded([&] { return theLibrary().close(device); });
    traceSafely(formatText("KEL_close(%d)", device) + result(status));
    return status;
}

KEL_API int32_t KEL_CALL KEL_cleanup(void) {
    const int32_t status = guarded([&] { return theLibrary().cleanup(); });
    traceSafely(std::string("KEL_cleanup()") + result(status));
    return status;
}

} // extern "C"
