// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The service handles a session holds and the service each one names, kept
// from the calls as they pass: a control record's size depends on the
// service, and only the capture said which service a handle is.
#ifndef RECORDING_HANDLE_BOOK_H
#define RECORDING_HANDLE_BOOK_H

#include <stddef.h>
#include <stdint.h>

#include <map>
#include <string>

#include "kel_control_records.h"

namespace rec {

struct Call;

class HandleBook {
public:
    // Takes note of a finished call: a capture that gave a handle, a
    // release, a close (its services go with it), a start or a shutdown.
    void follow(const Call &call);

    // The record size of a control code on a held service; 0 when the
    // handle is not held or the code takes no record.
    size_t recordSize(int32_t service, uint32_t code) const;

    // The service name a held handle was captured for; null when not held.
    const std::string *serviceName(int32_t service) const;

    // The code on a held service, from board_api's table; null when the
    // handle is not held or the code is not one of its service's.
    const KelControlCode *controlCode(int32_t service, uint32_t code) const;

private:
    struct Held {
        int32_t device;
        std::string name;
    };
    std::map<int32_t, Held> services_;
};

} // namespace rec

#endif
