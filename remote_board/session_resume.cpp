// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "session_resume.h"

#include <stdarg.h>
#include <stdio.h>

#include "kel_status.h"
#include "remote_status.h"

namespace remote {

namespace {

int remainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    return left > 1 ? static_cast<int>(left) : 1;
}

// One call of the resume; false when the connection failed.
bool replay(proto::ServerConnection *connection, const rec::EntryShape &shape,
            std::initializer_list<rec::Argument> arguments,
            std::chrono::steady_clock::time_point deadline, rec::Call *call, int32_t *status,
            std::string *problem) {
    static const rec::HandleBook noRecords; // no call of a resume carries a control record
    *call = rec::describeCall(shape, arguments, noRecords);
    return connection->exchange(call, remainingMs(deadline), status, problem);
}

std::string lostNote(const char *format, ...) __attribute__((format(printf, 1, 2)));

std::string lostNote(const char *format, ...) {
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

} // namespace

bool resumeSession(proto::ServerConnection *connection, HeldSession *session,
                   std::chrono::steady_clock::time_point deadline, std::vector<std::string> *notes,
                   int32_t *status, std::string *problem) {
    HeldSession resumed = *session;
    std::vector<std::string> lost;
    rec::Call call;
    if (session->started()) {
        int32_t count = 0;
        if (!replay(connection, rec::shapes::init, {session->configuration(), &count}, deadline,
                    &call, status, problem)) {
            return false;
        }
        if (KEL_FAILED(call.result)) {
            lost.push_back(
                lostNote("KEL_init failed again (0x%08X)", static_cast<uint32_t>(call.result)));
        }
    }
    for (const auto &held : session->devices()) {
        uint32_t granted = 0;
        if (!replay(connection, rec::shapes::open, {held.second.lid, held.second.mode, &granted},
                    deadline, &call, status, problem)) {
            return false;
        }
        if (call.result > 0) {
            resumed.rehandleDevice(held.first, call.result);
            continue;
        }
        resumed.loseDevice(held.first);
        lost.push_back(lostNote("device %d (LID 0x%X) could not be opened again (0x%08X); calls "
                                "on it and its services fail with 0x%08X",
                                held.first, held.second.lid, static_cast<uint32_t>(call.result),
                                static_cast<uint32_t>(proto::kHandleNotOpen)));
    }
    for (const auto &held : session->captures()) {
        const auto device = resumed.devices().find(held.second.device);
        if (device == resumed.devices().end()) {
            continue; // lost with its device
        }
        uint32_t mode = held.second.mode;
        if (!replay(connection, rec::shapes::capture,
                    {device->second.serverHandle, 0u, &mode, held.second.service.c_str(),
                     kRetakeTimeoutMs},
                    deadline, &call, status, problem)) {
            return false;
        }
        if (call.result > 0) {
            resumed.rehandleCapture(held.first, call.result);
            continue;
        }
        resumed.loseCapture(held.first);
        lost.push_back(lostNote("%s (handle %d) could not be captured again (0x%08X: another "
                                "client may hold it); calls on the handle fail with 0x%08X",
                                held.second.service.c_str(), held.first,
                                static_cast<uint32_t>(call.result),
                                static_cast<uint32_t>(proto::kHandleNotOpen)));
    }
    *session = resumed;
    notes->insert(notes->end(), lost.begin(), lost.end());
    return true;
}

} // namespace remote
