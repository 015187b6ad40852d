// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// One board library shared by every client of the server. The library is
// started by the first client's KEL_init and shut down after the last
// client's KEL_cleanup or departure; a client may use only the handles it
// was given; a capture that another client's holding excludes waits, up to
// its timeout, for it to be given back (the library itself would refuse it
// at once, as from one process). One lock serialises the library; a waiting
// capture does not hold it.
#ifndef BOARD_SERVER_BOARD_BROKER_H
#define BOARD_SERVER_BOARD_BROKER_H

#include <stdint.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "real_library.h"
#include "recorded_call.h"

class BoardBroker {
public:
    explicit BoardBroker(const RealLibrary &real) : real_(real) {}

    // A new client; its number for the calls below.
    unsigned arrive();

    // Serves one call of the client, answering it or forwarding it to the
    // library; sets its result and what it wrote. A capture's wait ends
    // early when `gone` says the client went away.
    void serve(unsigned client, rec::Call *call, const std::function<bool()> &gone);

    // Gives back what the client still holds (releases its captures, closes
    // its devices, shuts the library down when it was the last to use it)
    // and forgets it. Returns what was given back, for the log ("" when
    // nothing).
    std::string depart(unsigned client);

    // Ends every wait; later captures that would wait fail at once.
    void stopWaits();

private:
    struct Capture {
        uint32_t lid;
        std::string service;
        uint32_t mode;
        int32_t device;
    };
    struct Client {
        bool started = false;
        std::map<int32_t, uint32_t> devices; // handle, its board's LID
        std::map<int32_t, Capture> captures; // handle, what it holds
    };

    bool ownedByAnother(unsigned client, int32_t handle, bool service) const;
    bool startedByAnother(unsigned client) const;
    bool excluded(unsigned client, const Capture &wanted) const;
    void init(unsigned client, rec::Call *call);
    void capture(unsigned client, rec::Call *call, const std::function<bool()> &gone,
                 std::unique_lock<std::mutex> *lock);
    void cleanup(unsigned client, rec::Call *call);
    std::string giveBack(Client *client);
    void forward(rec::Call *call);

    const RealLibrary real_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    bool started_ = false;
    int32_t startStatus_ = 0;
    std::vector<uint8_t> startCount_;
    std::map<unsigned, Client> clients_;
    unsigned nextClient_ = 1;
};

#endif
