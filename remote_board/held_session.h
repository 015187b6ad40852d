// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// What the program holds through the remote library, in the program's own
// handles, kept from the calls that succeeded: the library started (and
// the configuration it named), each open device, each capture and its mode.
// A new connection to a restarted server gives new handles for the same
// things; the program keeps the ones it has, so each held handle carries
// the server's. Until a first resume the two are the same number. A handle
// that could not be taken back is lost: the program still has it, and
// every call on it fails as on a handle that is not open.
#ifndef REMOTE_BOARD_HELD_SESSION_H
#define REMOTE_BOARD_HELD_SESSION_H

#include <stdint.h>

#include <map>
#include <set>
#include <string>

#include "call_shapes.h"
#include "handle_book.h"
#include "recorded_call.h"

namespace remote {

struct HeldDevice {
    uint32_t lid;
    uint32_t mode; // as the program asked for it
    int32_t serverHandle;
};

struct HeldCapture {
    int32_t device; // the program's handle
    std::string service;
    uint32_t mode; // as the library granted it
    int32_t serverHandle;
};

class HeldSession {
public:
    // Puts the server's handle in place of the program's in the handle a
    // call names. False when the call must fail as on a handle that is not
    // open, without reaching the server: a lost handle, or a number the
    // program does not hold that is the server's handle of one it does.
    bool toServer(const rec::EntryShape &shape, rec::Call *call) const;

    // The finished call back in the program's handles (the named handle as
    // the program gave it, a new handle numbered for the program) and
    // noted when it succeeded.
    void follow(const rec::EntryShape &shape, rec::Call *call, uint32_t programHandle);

    // What the program's calls need to be described: the service of each
    // of its handles.
    const rec::HandleBook &book() const { return book_; }

    bool started() const { return started_; }
    // Null when the program's KEL_init named no configuration (a null pointer).
    const char *configuration() const {
        return configurationNamed_ ? configuration_.c_str() : nullptr;
    }
    const std::map<int32_t, HeldDevice> &devices() const { return devices_; }
    const std::map<int32_t, HeldCapture> &captures() const { return captures_; }

    // After a resume: the server's new handle for what the program holds,
    // or that it could not be taken back (a lost device takes its captures).
    void rehandleDevice(int32_t program, int32_t server);
    void rehandleCapture(int32_t program, int32_t server);
    void loseDevice(int32_t program);
    void loseCapture(int32_t program);

private:
    int32_t programHandleFor(bool device, int32_t server) const;

    rec::HandleBook book_;
    bool resumed_ = false; // until then every handle is the server's own
    bool started_ = false;
    bool configurationNamed_ = false;
    std::string configuration_;
    std::map<int32_t, HeldDevice> devices_;
    std::map<int32_t, HeldCapture> captures_;
    std::set<int32_t> lostDevices_;
    std::set<int32_t> lostCaptures_;
};

} // namespace remote

#endif
