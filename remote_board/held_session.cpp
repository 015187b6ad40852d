// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "held_session.h"

#include <string.h>

#include <vector>

#include "kel_status.h"

namespace remote {

namespace {

enum class Named { none, device, service };

// The kind of handle a call names in its first argument, by the name the
// call shapes give it.
Named namedBy(const rec::EntryShape &shape) {
    if (shape.arguments.size() == 0) {
        return Named::none;
    }
    const rec::ArgumentShape &first = *shape.arguments.begin();
    if (first.kind != rec::ArgumentKind::signedNumber) {
        return Named::none;
    }
    return strcmp(first.name, "device") == 0    ? Named::device
           : strcmp(first.name, "service") == 0 ? Named::service
                                                : Named::none;
}

template <class Held>
bool isServerHandleOfOne(const std::map<int32_t, Held> &held, int32_t number) {
    for (const auto &entry : held) {
        if (entry.second.serverHandle == number) {
            return true;
        }
    }
    return false;
}

template <class Held>
bool translate(const std::map<int32_t, Held> &held, const std::set<int32_t> &lost,
               rec::Value *argument) {
    const int32_t program = static_cast<int32_t>(argument->number);
    if (lost.count(program) != 0) {
        return false;
    }
    const auto found = held.find(program);
    if (found == held.end()) {
        // The server judges a handle the program does not hold, unless it
        // would reach one the program holds under another number.
        return !isServerHandleOfOne(held, program);
    }
    argument->number = static_cast<uint32_t>(found->second.serverHandle);
    return true;
}

// The mode word after a capture: what the library granted when it wrote
// one, else what the program asked.
uint32_t modeOf(const rec::Value &mode) {
    const std::vector<uint8_t> &bytes =
        mode.written && mode.after.size() == sizeof(uint32_t) ? mode.after : mode.before;
    uint32_t value = 0;
    if (bytes.size() == sizeof value) {
        memcpy(&value, bytes.data(), sizeof value);
    }
    return value;
}

} // namespace

bool HeldSession::toServer(const rec::EntryShape &shape, rec::Call *call) const {
    const Named named = namedBy(shape);
    if (named == Named::none || call->arguments.empty()) {
        return true;
    }
    rec::Value *argument = &call->arguments[0];
    return named == Named::device ? translate(devices_, lostDevices_, argument)
                                  : translate(captures_, lostCaptures_, argument);
}

int32_t HeldSession::programHandleFor(bool device, int32_t server) const {
    if (!resumed_) {
        return server;
    }
    // The server's number when the program has no handle of that number
    // already; else the next one it has not.
    int32_t program = server;
    while (device ? devices_.count(program) != 0 || lostDevices_.count(program) != 0
                  : captures_.count(program) != 0 || lostCaptures_.count(program) != 0) {
        ++program;
    }
    return program;
}

void HeldSession::follow(const rec::EntryShape &shape, rec::Call *call, uint32_t programHandle) {
    if (namedBy(shape) != Named::none && !call->arguments.empty()) {
        call->arguments[0].number = programHandle;
    }
    const int32_t named = static_cast<int32_t>(programHandle);
    const int32_t server = call->result;
    const bool succeeded = !KEL_FAILED(server);
    const std::vector<rec::Value> &arguments = call->arguments;
    if (&shape == &rec::shapes::open && server > 0 && arguments.size() >= 2) {
        call->result = programHandleFor(true, server);
        devices_[call->result] = HeldDevice{arguments[0].number, arguments[1].number, server};
    } else if (&shape == &rec::shapes::capture && server > 0 && arguments.size() >= 4 &&
               arguments[3].kind == rec::ValueKind::text) {
        call->result = programHandleFor(false, server);
        captures_[call->result] =
            HeldCapture{named, arguments[3].text, modeOf(arguments[2]), server};
    } else if (&shape == &rec::shapes::release && succeeded) {
        captures_.erase(named);
    } else if (&shape == &rec::shapes::close && succeeded) {
        devices_.erase(named);
        for (auto held = captures_.begin(); held != captures_.end();) {
            held = held->second.device == named ? captures_.erase(held) : std::next(held);
        }
    } else if (&shape == &rec::shapes::init && succeeded && !arguments.empty()) {
        started_ = true;
        configurationNamed_ = arguments[0].kind == rec::ValueKind::text;
        configuration_ = arguments[0].text;
    } else if (&shape == &rec::shapes::cleanup && succeeded) {
        started_ = false;
        devices_.clear();
        captures_.clear();
        lostDevices_.clear();
        lostCaptures_.clear();
    }
    book_.follow(*call);
}

void HeldSession::rehandleDevice(int32_t program, int32_t server) {
    resumed_ = true;
    devices_[program].serverHandle = server;
}

void HeldSession::rehandleCapture(int32_t program, int32_t server) {
    resumed_ = true;
    captures_[program].serverHandle = server;
}

void HeldSession::loseDevice(int32_t program) {
    resumed_ = true;
    devices_.erase(program);
    lostDevices_.insert(program);
    for (auto held = captures_.begin(); held != captures_.end();) {
        const auto next = std::next(held);
        if (held->second.device == program) {
            loseCapture(held->first);
        }
        held = next;
    }
}

void HeldSession::loseCapture(int32_t program) {
    resumed_ = true;
    captures_.erase(program);
    lostCaptures_.insert(program);
}

} // namespace remote
