// The recorder's C entry points: each describes the call, forwards it to
// the board library unchanged and writes what happened. The caller gets
// exactly the library's result and writes; nothing thrown while recording
// crosses into the calling program.
#include "call_shapes.h"
#include "kel_api.h"
#include "recording_session.h"
#include "recording_status.h"

namespace {

template <typename Forward>
int32_t record(const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments,
               Forward forward) {
    const RealLibrary *real = startedSession();
    if (real == nullptr) {
        return rec::kRecordingUnusable;
    }
    rec::Call call;
    bool described = false;
    try {
        call = rec::describeCall(shape, arguments, sessionBook());
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

extern "C" {

KEL_API int32_t KEL_CALL KEL_displayMode(int32_t mode) {
    return record(rec::kDisplayMode, {mode},
                  [&](const RealLibrary &real) { return real.displayMode(mode); });
}

KEL_API int32_t KEL_CALL KEL_init(const char *configFile, int32_t *count) {
    return record(rec::kInit, {configFile, count},
                  [&](const RealLibrary &real) { return real.init(configFile, count); });
}

KEL_API int32_t KEL_CALL KEL_lidList(uint32_t *lids, uint32_t capacity, uint32_t *count) {
    return record(rec::kLidList, {lids, capacity, count},
                  [&](const RealLibrary &real) { return real.lidList(lids, capacity, count); });
}

KEL_API int32_t KEL_CALL KEL_getInfo(uint32_t lid, KEL_BoardInfo *info) {
    return record(rec::kGetInfo, {lid, info},
                  [&](const RealLibrary &real) { return real.getInfo(lid, info); });
}

KEL_API int32_t KEL_CALL KEL_open(uint32_t lid, uint32_t mode, uint32_t *grantedMode) {
    return record(rec::kOpen, {lid, mode, grantedMode},
                  [&](const RealLibrary &real) { return real.open(lid, mode, grantedMode); });
}

KEL_API int32_t KEL_CALL KEL_puList(int32_t device, KEL_PuEntry *list, uint32_t capacity,
                                    uint32_t *count) {
    return record(rec::kPuList, {device, list, capacity, count}, [&](const RealLibrary &real) {
        return real.puList(device, list, capacity, count);
    });
}

KEL_API int32_t KEL_CALL KEL_puState(int32_t device, uint32_t puId, uint32_t *state) {
    return record(rec::kPuState, {device, puId, state},
                  [&](const RealLibrary &real) { return real.puState(device, puId, state); });
}

KEL_API int32_t KEL_CALL KEL_serviceList(int32_t device, uint32_t reserved, KEL_ServiceEntry *list,
                                         uint32_t capacity, uint32_t *count) {
    return record(rec::kServiceList, {device, reserved, list, capacity, count},
                  [&](const RealLibrary &real) {
                      return real.serviceList(device, reserved, list, capacity, count);
                  });
}

KEL_API int32_t KEL_CALL KEL_capture(int32_t device, uint32_t reserved, uint32_t *mode,
                                     const char *name, uint32_t timeout) {
    return record(rec::kCapture, {device, reserved, mode, name, timeout},
                  [&](const RealLibrary &real) {
                      return real.capture(device, reserved, mode, name, timeout);
                  });
}

KEL_API int32_t KEL_CALL KEL_ctrl(int32_t service, uint32_t reserved, uint32_t code, void *record) {
    return ::record(rec::kCtrl, {service, reserved, code, record}, [&](const RealLibrary &real) {
        return real.ctrl(service, reserved, code, record);
    });
}

KEL_API int32_t KEL_CALL KEL_release(int32_t service, uint32_t reserved) {
    return record(rec::kRelease, {service, reserved},
                  [&](const RealLibrary &real) { return real.release(service, reserved); });
}

KEL_API int32_t KEL_CALL KEL_close(int32_t device) {
    return record(rec::kClose, {device},
                  [&](const RealLibrary &real) { return real.close(device); });
}

KEL_API int32_t KEL_CALL KEL_cleanup(void) {
    return record(rec::kCleanup, {}, [&](const RealLibrary &real) { return real.cleanup(); });
}

} // extern "C"
