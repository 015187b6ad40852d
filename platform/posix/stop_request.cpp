// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../stop_request.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "stop_wakeup.h"

// The handler does nothing but record the signal and wake the waits through
// a pipe: the board library is never called from it. A closed output makes
// a write fail with EPIPE and raises SIGPIPE, which is recorded as a request
// like the others instead of ending the program on the spot.

namespace {

const int kStopSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE};
const int kSignalStatusBase = 128;

volatile sig_atomic_t g_stopSignal = 0; // the first request's signal
int g_wakeupEnds[2] = {-1, -1};

void recordStop(int signalNumber) {
    const int savedErrno = errno;
    if (g_stopSignal == 0) {
        g_stopSignal = signalNumber;
    }
    const char wakeup = 1;
    (void)!write(g_wakeupEnds[1], &wakeup, 1); // full: already readable
    errno = savedErrno;
}

bool makeWakeupPipe() {
    if (pipe(g_wakeupEnds) != 0) {
        g_wakeupEnds[0] = g_wakeupEnds[1] = -1;
        return false;
    }
    for (int end : g_wakeupEnds) {
        fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
        fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    return true;
}

} // namespace

int stopWakeupDescriptor(void) { return g_wakeupEnds[0]; }

void recordTerminalHangUp(void) { recordStop(SIGHUP); }

void platWatchStopRequests(void) {
    if (g_wakeupEnds[0] >= 0 || !makeWakeupPipe()) {
        return;
    }
    for (int signalNumber : kStopSignals) {
        // An ignored signal stays ignored (nohup, a background job); an
        // ignored SIGPIPE would only hide a closed output.
        struct sigaction current = {};
        if (signalNumber != SIGPIPE &&
            (sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)) {
            continue;
        }
        struct sigaction action = {};
        action.sa_handler = recordStop;
        sigemptyset(&action.sa_mask);
        // Calls inside the board library go on as if nothing happened.
        action.sa_flags = SA_RESTART;
        sigaction(signalNumber, &action, nullptr);
    }
}

int platStopStatus(void) {
    const int signalNumber = g_stopSignal;
    return signalNumber == 0 ? 0 : kSignalStatusBase + signalNumber;
}
