// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// One board library shared by every client of the server. The library is
// started by the first client's KEL_init and shut down after the last
// client's KEL_cleanup or departure; a client may use only the handles it
// was given; a capture that another client's holding excludes waits, up to
// its timeout, for it to be given back (the library itself would refuse it
// at once, as from one process). One lock serialises the library and the
// books of who holds what; a waiting capture does not hold it, and nothing
// that waits on a client's socket is done under it.
#ifndef BOARD_SERVER_BOARD_BROKER_H
#define BOARD_SERVER_BOARD_BROKER_H

#include <stdint.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "annotated_mutex.h"
#include "broker_snapshot.h"
#include "kel_entry_points.h"
#include "real_library.h"
#include "recorded_call.h"

class BoardBroker {
public:
    explicit BoardBroker(const RealLibrary &real) : real_(real) {}

    // A new client; its number for the calls below.
    unsigned arrive(const ClientIdentity &identity = ClientIdentity()) EXCLUDES(mutex_);

    // Serves one call of the client, answering it or forwarding it to the
    // library; sets its result and what it wrote, and counts it
    // (server_counters.h) unless the client is internal. A capture's wait
    // ends early when `gone` says the client went away; `gone` is asked
    // without the lock.
    void serve(unsigned client, rec::Call *call, const std::function<bool()> &gone)
        EXCLUDES(mutex_);

    // Gives back what the client still holds (releases its captures, closes
    // its devices, shuts the library down when it was the last to use it)
    // and forgets it. Returns what was given back, for the log ("" when
    // nothing).
    std::string depart(unsigned client) EXCLUDES(mutex_);

    // Ends every wait; later captures that would wait fail at once.
    void stopWaits() EXCLUDES(mutex_);

    // Every client with what it holds and waits for, since when.
    BrokerSnapshot snapshot() const EXCLUDES(mutex_);

private:
    struct Capture {
        uint32_t lid;
        std::string service;
        uint32_t mode;
        int32_t device;
        WallClock::time_point since;
    };
    struct Client {
        ClientIdentity identity;
        WallClock::time_point connected;
        std::vector<WaitedService> waits; // the capture it waits for, if any
        bool started = false;
        std::map<int32_t, uint32_t> devices; // handle, its board's LID
        std::map<int32_t, Capture> captures; // handle, what it holds
    };

    // Whether a handler answered the call or it must wait for services
    // another client holds (and be served again after the wait).
    enum class Served { answered, mustWait };
    // The handle a call names first: none, a device's or a service's.
    enum class NamedHandle { none, device, service };
    using Handler = Served (BoardBroker::*)(unsigned client, rec::Call *call);
    // What the server does with one entry point.
    struct EntryRole {
        KelEntryPoint entry;
        NamedHandle handle;
        Handler handler;
    };
    // Indexed by the entry point.
    static const EntryRole kRoles[kKelEntryPointCount];

    void serveInTurn(unsigned client, rec::Call *call, const std::function<bool()> &gone)
        EXCLUDES(mutex_);
    bool internal(unsigned client) const EXCLUDES(mutex_);
    Served serve_unlocked(unsigned client, rec::Call *call) REQUIRES(mutex_);
    Served forward_unlocked(unsigned client, rec::Call *call) REQUIRES(mutex_);
    Served init_unlocked(unsigned client, rec::Call *call) REQUIRES(mutex_);
    Served cleanup_unlocked(unsigned client, rec::Call *call) REQUIRES(mutex_);
    Served capture_unlocked(unsigned client, rec::Call *call) REQUIRES(mutex_);
    Served open_unlocked(unsigned client, rec::Call *call) REQUIRES(mutex_);
    Served release_unlocked(unsigned client, rec::Call *call) REQUIRES(mutex_);
    Served close_unlocked(unsigned client, rec::Call *call) REQUIRES(mutex_);

    bool ownedByAnother_unlocked(unsigned client, int32_t handle, NamedHandle kind) const
        REQUIRES(mutex_);
    bool startedByAnother_unlocked(unsigned client) const REQUIRES(mutex_);
    // Whether a holding keeps the wanted capture out.
    static bool excludes(const Capture &held, const Capture &wanted);
    bool excluded_unlocked(unsigned client, const Capture &wanted) const REQUIRES(mutex_);
    std::string waitLine_unlocked(unsigned client, std::string *who, std::string *what) const
        REQUIRES(mutex_);
    void endWait_unlocked(unsigned client) REQUIRES(mutex_);
    // The library was shut down: no client holds anything of it any more.
    void forgetLibrary_unlocked() REQUIRES(mutex_);
    std::string giveBack_unlocked(Client *client) REQUIRES(mutex_);
    void callLibrary_unlocked(rec::Call *call) REQUIRES(mutex_);

    const RealLibrary real_;
    mutable Mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ GUARDED_BY(mutex_) = false;
    bool started_ GUARDED_BY(mutex_) = false;
    int32_t startStatus_ GUARDED_BY(mutex_) = 0;
    std::vector<uint8_t> startCount_ GUARDED_BY(mutex_);
    std::map<unsigned, Client> clients_ GUARDED_BY(mutex_);
    unsigned nextClient_ GUARDED_BY(mutex_) = 1;
};

#endif
