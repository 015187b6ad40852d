// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// --record DIR: one recording per client session, in the recording format
// the recorder writes, so that each program's calls can be read apart (and
// replayed). Comment lines name the client, its address and when it
// arrived.
#ifndef BOARD_SERVER_SESSION_RECORDING_H
#define BOARD_SERVER_SESSION_RECORDING_H

#include <stdio.h>

#include <string>

#include "broker_snapshot.h"
#include "recorded_call.h"

class SessionRecording {
public:
    SessionRecording() = default;
    SessionRecording(const SessionRecording &) = delete;
    SessionRecording &operator=(const SessionRecording &) = delete;
    ~SessionRecording();

    // Starts DIR/client-<number>.kelrec; false with the reason when it
    // cannot be written.
    bool start(const std::string &directory, unsigned client, const ClientIdentity &identity,
               const std::string &library, std::string *problem);

    // Numbers the served call (every buffer whole, as it travelled) and
    // writes it as the recorder would; a recording that stops being writable
    // is closed and false returned, once.
    bool write(const rec::Call &served);

    const std::string &fileName() const { return fileName_; }

private:
    FILE *file_ = nullptr;
    std::string fileName_;
    unsigned calls_ = 0;
};

#endif
