// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "board_broker.h"

#include <stdio.h>

#include <algorithm>
#include <chrono>

#include "kel_status.h"
#include "library_call.h"
#include "remote_status.h"

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting capture looks whether its client is still there.
const auto kGoneCheckInterval = std::chrono::milliseconds(100);

bool succeeded(int32_t status) { return !KEL_FAILED(status); }

std::string statusText(int32_t status) {
    char text[16];
    snprintf(text, sizeof text, "0x%x", static_cast<uint32_t>(status));
    return text;
}

uint32_t wordOf(const std::vector<uint8_t> &bytes) {
    uint32_t word = 0;
    for (size_t i = 0; i < 4 && i < bytes.size(); ++i) {
        word |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    return word;
}

const std::vector<uint8_t> &bytesAfter(const rec::Value &value) {
    return value.written ? value.after : value.before;
}

// The handle a call names first, and whether it is a service's.
bool namesHandle(const std::string &entry, bool *service) {
    *service = entry == "KEL_ctrl" || entry == "KEL_release";
    return *service || entry == "KEL_puList" || entry == "KEL_puState" ||
           entry == "KEL_serviceList" || entry == "KEL_capture" || entry == "KEL_close";
}

} // namespace

unsigned BoardBroker::arrive() {
    std::lock_guard<std::mutex> lock(mutex_);
    const unsigned number = nextClient_++;
    clients_[number];
    return number;
}

void BoardBroker::stopWaits() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
}

bool BoardBroker::ownedByAnother(unsigned client, int32_t handle, bool service) const {
    for (const auto &other : clients_) {
        if (other.first != client && (service ? other.second.captures.count(handle) > 0
                                              : other.second.devices.count(handle) > 0)) {
            return true;
        }
    }
    return false;
}

bool BoardBroker::startedByAnother(unsigned client) const {
    for (const auto &other : clients_) {
        if (other.first != client && other.second.started) {
            return true;
        }
    }
    return false;
}

// Exclusive admits only spies beside it, shared admits shared and spy, a
// spy is always admitted; a client's own holdings are the library's to
// judge.
bool BoardBroker::excluded(unsigned client, const Capture &wanted) const {
    if (wanted.mode == KEL_MODE_SPY) {
        return false;
    }
    for (const auto &other : clients_) {
        if (other.first == client) {
            continue;
        }
        for (const auto &held : other.second.captures) {
            const Capture &capture = held.second;
            if (capture.lid == wanted.lid && capture.service == wanted.service &&
                capture.mode != KEL_MODE_SPY &&
                (wanted.mode == KEL_MODE_EXCLUSIVE || capture.mode == KEL_MODE_EXCLUSIVE)) {
                return true;
            }
        }
    }
    return false;
}

void BoardBroker::forward(rec::Call *call) { callLibrary(real_, call); }

void BoardBroker::serve(unsigned client, rec::Call *call, const std::function<bool()> &gone) {
    std::unique_lock<std::mutex> lock(mutex_);
    Client &me = clients_[client];
    const std::string &entry = call->entry;
    bool service = false;
    if (namesHandle(entry, &service) &&
        ownedByAnother(client, static_cast<int32_t>(call->arguments[0].number), service)) {
        call->result = proto::kHandleNotOpen;
        return;
    }
    if (entry == "KEL_init") {
        init(client, call);
        return;
    }
    if (entry == "KEL_cleanup") {
        cleanup(client, call);
        return;
    }
    if (entry == "KEL_capture") {
        capture(client, call, gone, &lock);
        return;
    }
    forward(call);
    const int32_t handle =
        static_cast<int32_t>(call->arguments.empty() ? 0 : call->arguments[0].number);
    if (entry == "KEL_open" && call->result > 0) {
        me.devices[call->result] = call->arguments[0].number;
    } else if (entry == "KEL_release" && succeeded(call->result)) {
        me.captures.erase(handle);
        changed_.notify_all();
    } else if (entry == "KEL_close" && succeeded(call->result)) {
        me.devices.erase(handle);
        for (auto held = me.captures.begin(); held != me.captures.end();) {
            held = held->second.device == handle ? me.captures.erase(held) : std::next(held);
        }
        changed_.notify_all();
    }
}

// The first start reaches the library; a client that comes later gets that
// start's status and board count.
void BoardBroker::init(unsigned client, rec::Call *call) {
    Client &me = clients_[client];
    if (started_ && startedByAnother(client)) {
        call->result = startStatus_;
        rec::Value &count = call->arguments[1];
        if (count.kind == rec::ValueKind::outOnly && startCount_.size() == count.size &&
            startCount_ != count.before) {
            count.written = true;
            count.after = startCount_;
        }
        me.started = true;
        return;
    }
    forward(call);
    if (succeeded(call->result)) {
        started_ = true;
        me.started = true;
        startStatus_ = call->result;
        const rec::Value &count = call->arguments[1];
        startCount_ = count.kind == rec::ValueKind::outOnly ? bytesAfter(count) : startCount_;
    }
}

// Only the last client to have started the library shuts it down; the
// others give back what they hold and are answered at once.
void BoardBroker::cleanup(unsigned client, rec::Call *call) {
    Client &me = clients_[client];
    if (startedByAnother(client)) {
        giveBack(&me);
        me.started = false;
        call->result = static_cast<int32_t>(KELerr_OK);
        return;
    }
    forward(call);
    if (succeeded(call->result)) {
        started_ = false;
        for (auto &other : clients_) {
            other.second.devices.clear();
            other.second.captures.clear();
            other.second.started = false;
        }
        changed_.notify_all();
    }
}

void BoardBroker::capture(unsigned client, rec::Call *call, const std::function<bool()> &gone,
                          std::unique_lock<std::mutex> *lock) {
    const int32_t device = static_cast<int32_t>(call->arguments[0].number);
    const rec::Value &mode = call->arguments[2];
    const rec::Value &name = call->arguments[3];
    const auto opened = clients_[client].devices.find(device);
    if (opened == clients_[client].devices.end() || mode.kind != rec::ValueKind::bytes ||
        name.kind != rec::ValueKind::text) {
        forward(call);
        return;
    }
    const Capture wanted{opened->second, name.text, wordOf(mode.before), device};
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(call->arguments[4].number);
    while (excluded(client, wanted)) {
        const Clock::time_point now = Clock::now();
        if (stopping_ || now >= deadline || gone()) {
            call->result = static_cast<int32_t>(KELerr_INSUFFICIENT_SERVICES);
            return;
        }
        changed_.wait_until(*lock, std::min(deadline, now + kGoneCheckInterval));
    }
    forward(call);
    if (call->result > 0) {
        Capture held = wanted;
        held.mode = wordOf(bytesAfter(mode));
        clients_[client].captures[call->result] = held;
    }
}

std::string BoardBroker::giveBack(Client *client) {
    std::string given;
    for (const auto &held : client->captures) {
        const int32_t status = real_.release(held.first, 0);
        given += (given.empty() ? "" : ", ") + std::string("released ") + held.second.service +
                 " (" + std::to_string(held.first) + ") = " + statusText(status);
    }
    for (const auto &opened : client->devices) {
        const int32_t status = real_.close(opened.first);
        given += (given.empty() ? "" : ", ") + std::string("closed device ") +
                 std::to_string(opened.first) + " = " + statusText(status);
    }
    client->captures.clear();
    client->devices.clear();
    changed_.notify_all();
    return given;
}

std::string BoardBroker::depart(unsigned client) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = clients_.find(client);
    if (found == clients_.end()) {
        return std::string();
    }
    std::string given = giveBack(&found->second);
    if (found->second.started && started_ && !startedByAnother(client)) {
        const int32_t status = real_.cleanup();
        started_ = false;
        given += (given.empty() ? "" : ", ") + std::string("shut the library down = ") +
                 statusText(status);
    }
    clients_.erase(found);
    changed_.notify_all();
    return given;
}
