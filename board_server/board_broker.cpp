// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "board_broker.h"

#include <algorithm>
#include <chrono>

#include "books_text.h"
#include "configuration_name.h"
#include "hex_status.h"
#include "kel_status.h"
#include "library_call.h"
#include "messages.h"
#include "recording_text.h"
#include "remote_status.h"
#include "server_counters.h"
#include "server_log.h"

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting capture looks whether its client is still there.
const auto kGoneCheckInterval = std::chrono::milliseconds(100);

// KEL_capture's timeout: how long it may wait for services another client
// holds.
const size_t kCaptureTimeoutArgument = 4;

bool succeeded(int32_t status) { return !KEL_FAILED(status); }

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

template <typename Row, size_t count> constexpr bool inEntryOrder(const Row (&rows)[count]) {
    for (size_t index = 0; index < count; ++index) {
        if (static_cast<size_t>(rows[index].entry) != index) {
            return false;
        }
    }
    return true;
}

} // namespace

// What each entry point does in the server, in the entry point table's
// order: the handle its first argument names (which must be the caller's
// own), and its handler. Most go to the library as they are; the start and
// shutdown are shared by every client, a capture may wait for another
// client's holding, and what opens or gives back a handle is booked.
constexpr BoardBroker::EntryRole BoardBroker::kRoles[kKelEntryPointCount] = {
    {KelEntryPoint::displayMode, NamedHandle::none, &BoardBroker::forward_unlocked},
    {KelEntryPoint::init, NamedHandle::none, &BoardBroker::init_unlocked},
    {KelEntryPoint::lidList, NamedHandle::none, &BoardBroker::forward_unlocked},
    {KelEntryPoint::getInfo, NamedHandle::none, &BoardBroker::forward_unlocked},
    {KelEntryPoint::open, NamedHandle::none, &BoardBroker::open_unlocked},
    {KelEntryPoint::puList, NamedHandle::device, &BoardBroker::forward_unlocked},
    {KelEntryPoint::puState, NamedHandle::device, &BoardBroker::forward_unlocked},
    {KelEntryPoint::serviceList, NamedHandle::device, &BoardBroker::forward_unlocked},
    {KelEntryPoint::capture, NamedHandle::device, &BoardBroker::capture_unlocked},
    {KelEntryPoint::ctrl, NamedHandle::service, &BoardBroker::forward_unlocked},
    {KelEntryPoint::release, NamedHandle::service, &BoardBroker::release_unlocked},
    {KelEntryPoint::close, NamedHandle::device, &BoardBroker::close_unlocked},
    {KelEntryPoint::cleanup, NamedHandle::none, &BoardBroker::cleanup_unlocked},
};

unsigned BoardBroker::arrive(const ClientIdentity &identity) {
    MutexLock lock(&mutex_);
    const unsigned number = nextClient_++;
    Client &client = clients_[number];
    client.identity = identity;
    client.connected = WallClock::now();
    return number;
}

BrokerSnapshot BoardBroker::snapshot() const {
    MutexLock lock(&mutex_);
    BrokerSnapshot taken;
    taken.libraryStarted = started_;
    for (const auto &entry : clients_) {
        if (entry.second.identity.internal) {
            continue;
        }
        ClientState state;
        state.number = entry.first;
        state.identity = entry.second.identity;
        state.connected = entry.second.connected;
        for (const auto &held : entry.second.captures) {
            const Capture &capture = held.second;
            state.holdings.push_back(
                HeldService{capture.service, capture.lid, capture.mode, held.first, capture.since});
        }
        state.waits = entry.second.waits;
        taken.clients.push_back(state);
    }
    return taken;
}

void BoardBroker::stopWaits() {
    MutexLock lock(&mutex_);
    stopping_ = true;
    changed_.notify_all();
}

bool BoardBroker::ownedByAnother_unlocked(unsigned client, int32_t handle, NamedHandle kind) const {
    for (const auto &other : clients_) {
        if (other.first != client &&
            (kind == NamedHandle::service ? other.second.captures.count(handle) > 0
                                          : other.second.devices.count(handle) > 0)) {
            return true;
        }
    }
    return false;
}

bool BoardBroker::startedByAnother_unlocked(unsigned client) const {
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
bool BoardBroker::excludes(const Capture &held, const Capture &wanted) {
    return wanted.mode != KEL_MODE_SPY && held.lid == wanted.lid &&
           held.service == wanted.service && held.mode != KEL_MODE_SPY &&
           (wanted.mode == KEL_MODE_EXCLUSIVE || held.mode == KEL_MODE_EXCLUSIVE);
}

bool BoardBroker::excluded_unlocked(unsigned client, const Capture &wanted) const {
    for (const auto &other : clients_) {
        if (other.first == client) {
            continue;
        }
        for (const auto &held : other.second.captures) {
            if (excludes(held.second, wanted)) {
                return true;
            }
        }
    }
    return false;
}

// The library serves one call at a time, whoever's: the call itself is the
// only long thing done under the lock.
void BoardBroker::callLibrary_unlocked(rec::Call *call) { callLibrary(real_, call); }

void BoardBroker::serve(unsigned client, rec::Call *call, const std::function<bool()> &gone) {
    serveInTurn(client, call, gone);
    if (call->entryIndex >= 0 && call->entryIndex < kKelEntryPointCount && !internal(client)) {
        serverCounters().countCall(static_cast<KelEntryPoint>(call->entryIndex), call->result);
    }
}

bool BoardBroker::internal(unsigned client) const {
    MutexLock lock(&mutex_);
    const auto found = clients_.find(client);
    return found != clients_.end() && found->second.identity.internal;
}

void BoardBroker::serveInTurn(unsigned client, rec::Call *call, const std::function<bool()> &gone) {
    static_assert(inEntryOrder(kRoles), "one role per entry point, in the table's order");
    // The handlers take every argument of the call's entry point as given.
    const rec::EntryShape *shape =
        call->entryIndex < 0 ? nullptr : proto::shapeAt(static_cast<size_t>(call->entryIndex));
    if (shape == nullptr || call->arguments.size() != shape->arguments.size()) {
        call->result = proto::kCallNotCarried;
        return;
    }
    const bool mayWait = call->entryIndex == static_cast<int>(KelEntryPoint::capture);
    const uint32_t timeoutMs = mayWait ? call->arguments[kCaptureTimeoutArgument].number : 0;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + std::chrono::milliseconds(timeoutMs);
    // The log's lines on a wait are composed under the lock, from the books,
    // and written after it is given back.
    std::string who;  // the client's label, once it waits
    std::string what; // and what it waits for
    const auto waitedMs = [start] {
        return std::to_string(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    };
    std::string line;
    for (;;) {
        {
            MutexLock lock(&mutex_);
            if (serve_unlocked(client, call) == Served::answered) {
                endWait_unlocked(client);
                if (!who.empty()) {
                    line = call->result > 0
                               ? who + " got " + what + " after " + waitedMs() + " ms"
                               : who + " was refused " + what + " by the library (" +
                                     hexStatus(call->result) + ") after " + waitedMs() + " ms";
                }
                break;
            }
            const Clock::time_point now = Clock::now();
            if (stopping_ || now >= deadline) {
                endWait_unlocked(client);
                call->result = static_cast<int32_t>(KELerr_INSUFFICIENT_SERVICES);
                if (!who.empty()) {
                    line = stopping_ ? who + " was refused " + what + ": the server stops"
                                     : who + " was refused " + what + " at its timeout of " +
                                           std::to_string(timeoutMs) + " ms";
                }
                break;
            }
            if (who.empty()) {
                line = waitLine_unlocked(client, &who, &what);
            } else {
                lock.waitUntil(&changed_, std::min(deadline, now + kGoneCheckInterval));
            }
        }
        if (!line.empty()) {
            logLine(line);
            line.clear();
            continue;
        }
        // Asked with the lock given back: it looks at the client's socket.
        if (gone()) {
            MutexLock lock(&mutex_);
            endWait_unlocked(client);
            call->result = static_cast<int32_t>(KELerr_INSUFFICIENT_SERVICES);
            line = who + " went away while waiting for " + what + " (" + waitedMs() + " ms)";
            break;
        }
    }
    if (!line.empty()) {
        logLine(line);
    }
}

// `client 3 (...) waits for BASEDDS0 (exclusive), held by client 2 (...)
// since 08:00:01`, naming every holder that keeps the capture out; *who
// and *what are set for the line that says how the wait ended.
std::string BoardBroker::waitLine_unlocked(unsigned client, std::string *who,
                                           std::string *what) const {
    const Client &me = clients_.at(client);
    const WaitedService &waited = me.waits.front();
    *who = clientLabel(client, me.identity);
    *what = waited.service + " (" + modeName(waited.mode) + ")";
    std::string holders;
    const Capture wanted{waited.lid, waited.service, waited.mode, 0, waited.since};
    for (const auto &other : clients_) {
        for (const auto &held : other.second.captures) {
            if (other.first != client && excludes(held.second, wanted)) {
                holders += (holders.empty() ? "" : ", ") +
                           clientLabel(other.first, other.second.identity) + " since " +
                           clockTimeText(held.second.since);
            }
        }
    }
    return *who + " waits for " + *what + ", held by " + holders;
}

BoardBroker::Served BoardBroker::serve_unlocked(unsigned client, rec::Call *call) {
    const EntryRole &role = kRoles[call->entryIndex];
    if (role.handle != NamedHandle::none && !call->arguments.empty() &&
        ownedByAnother_unlocked(client, static_cast<int32_t>(call->arguments[0].number),
                                role.handle)) {
        call->result = proto::kHandleNotOpen;
        return Served::answered;
    }
    return (this->*role.handler)(client, call);
}

BoardBroker::Served BoardBroker::forward_unlocked(unsigned, rec::Call *call) {
    callLibrary_unlocked(call);
    return Served::answered;
}

// The first start reaches the library; a client that comes later gets that
// start's status and board count. A configuration file is named in the
// server's folder only, so that no client reads, or probes for, another.
BoardBroker::Served BoardBroker::init_unlocked(unsigned client, rec::Call *call) {
    const rec::Value &configuration = call->arguments[0];
    if (configuration.kind == rec::ValueKind::text && !isPlainFileName(configuration.text)) {
        logLine("client " + std::to_string(client) + ": KEL_init refused: the configuration " +
                rec::quotedText(configuration.text.c_str(), configuration.text.size()) +
                " is not a plain file name in the server's folder");
        call->result = proto::kConfigurationNameRefused;
        return Served::answered;
    }
    Client &me = clients_[client];
    if (started_ && startedByAnother_unlocked(client)) {
        call->result = startStatus_;
        rec::Value &count = call->arguments[1];
        if (count.kind == rec::ValueKind::outOnly && startCount_.size() == count.size &&
            startCount_ != count.before) {
            count.written = true;
            count.after = startCount_;
        }
        me.started = true;
        return Served::answered;
    }
    callLibrary_unlocked(call);
    if (succeeded(call->result)) {
        started_ = true;
        me.started = true;
        startStatus_ = call->result;
        const rec::Value &count = call->arguments[1];
        startCount_ = count.kind == rec::ValueKind::outOnly ? bytesAfter(count) : startCount_;
    }
    return Served::answered;
}

// Only the last client to have started the library shuts it down; the
// others give back what they hold and are answered at once.
BoardBroker::Served BoardBroker::cleanup_unlocked(unsigned client, rec::Call *call) {
    Client &me = clients_[client];
    if (startedByAnother_unlocked(client)) {
        giveBack_unlocked(&me);
        me.started = false;
        call->result = static_cast<int32_t>(KELerr_OK);
        return Served::answered;
    }
    callLibrary_unlocked(call);
    if (succeeded(call->result)) {
        forgetLibrary_unlocked();
    }
    return Served::answered;
}

// Must wait while another client's holding excludes it (serve waits, the
// lock given up); what the library grants is booked with the mode granted.
BoardBroker::Served BoardBroker::capture_unlocked(unsigned client, rec::Call *call) {
    const int32_t device = static_cast<int32_t>(call->arguments[0].number);
    const rec::Value &mode = call->arguments[2];
    const rec::Value &name = call->arguments[3];
    Client &me = clients_[client];
    const auto opened = me.devices.find(device);
    if (opened == me.devices.end() || mode.kind != rec::ValueKind::bytes ||
        name.kind != rec::ValueKind::text) {
        return forward_unlocked(client, call);
    }
    const Capture wanted{opened->second, name.text, wordOf(mode.before), device, WallClock::now()};
    if (excluded_unlocked(client, wanted)) {
        if (me.waits.empty()) {
            me.waits.push_back(
                WaitedService{wanted.service, wanted.lid, wanted.mode, wanted.since});
        }
        return Served::mustWait;
    }
    callLibrary_unlocked(call);
    if (call->result > 0) {
        Capture held = wanted;
        held.mode = wordOf(bytesAfter(mode));
        held.since = WallClock::now();
        me.captures[call->result] = held;
    }
    return Served::answered;
}

BoardBroker::Served BoardBroker::open_unlocked(unsigned client, rec::Call *call) {
    callLibrary_unlocked(call);
    if (call->result > 0) {
        clients_[client].devices[call->result] = call->arguments[0].number;
    }
    return Served::answered;
}

BoardBroker::Served BoardBroker::release_unlocked(unsigned client, rec::Call *call) {
    callLibrary_unlocked(call);
    if (succeeded(call->result)) {
        clients_[client].captures.erase(static_cast<int32_t>(call->arguments[0].number));
        changed_.notify_all();
    }
    return Served::answered;
}

// A closed device's captures go with it.
BoardBroker::Served BoardBroker::close_unlocked(unsigned client, rec::Call *call) {
    callLibrary_unlocked(call);
    if (succeeded(call->result)) {
        const int32_t device = static_cast<int32_t>(call->arguments[0].number);
        Client &me = clients_[client];
        me.devices.erase(device);
        for (auto held = me.captures.begin(); held != me.captures.end();) {
            held = held->second.device == device ? me.captures.erase(held) : std::next(held);
        }
        changed_.notify_all();
    }
    return Served::answered;
}

// The client's capture no longer waits, granted or not.
void BoardBroker::endWait_unlocked(unsigned client) {
    const auto found = clients_.find(client);
    if (found != clients_.end()) {
        found->second.waits.clear();
    }
}

// The library's shutdown gave back every client's handles, whoever shut it
// down: a capture after a new start is judged by what is held since.
void BoardBroker::forgetLibrary_unlocked() {
    started_ = false;
    for (auto &other : clients_) {
        other.second.devices.clear();
        other.second.captures.clear();
        other.second.started = false;
    }
    changed_.notify_all();
}

// Library calls under the lock, as every other.
std::string BoardBroker::giveBack_unlocked(Client *client) {
    std::string given;
    for (const auto &held : client->captures) {
        const int32_t status = real_.release(held.first, 0);
        given += (given.empty() ? "" : ", ") + std::string("released ") + held.second.service +
                 " (" + std::to_string(held.first) + ") = " + hexStatus(status);
    }
    for (const auto &opened : client->devices) {
        const int32_t status = real_.close(opened.first);
        given += (given.empty() ? "" : ", ") + std::string("closed device ") +
                 std::to_string(opened.first) + " = " + hexStatus(status);
    }
    client->captures.clear();
    client->devices.clear();
    changed_.notify_all();
    return given;
}

std::string BoardBroker::depart(unsigned client) {
    MutexLock lock(&mutex_);
    const auto found = clients_.find(client);
    if (found == clients_.end()) {
        return std::string();
    }
    std::string given = giveBack_unlocked(&found->second);
    if (found->second.started && started_ && !startedByAnother_unlocked(client)) {
        const int32_t status = real_.cleanup(); // under the lock, as every library call
        forgetLibrary_unlocked();
        given += (given.empty() ? "" : ", ") + std::string("shut the library down = ") +
                 hexStatus(status);
    }
    clients_.erase(found);
    changed_.notify_all();
    return given;
}
