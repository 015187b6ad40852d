// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "greeting_progress.h"

#include <set>

#include "annotated_mutex.h"

namespace {

class GreetedSockets {
public:
    void add(PlatSocket socket) EXCLUDES(mutex_) {
        MutexLock lock(&mutex_);
        sockets_.insert(socket);
    }
    bool has(PlatSocket socket) EXCLUDES(mutex_) {
        MutexLock lock(&mutex_);
        return sockets_.count(socket) != 0;
    }
    void remove(PlatSocket socket) EXCLUDES(mutex_) {
        MutexLock lock(&mutex_);
        sockets_.erase(socket);
    }

private:
    Mutex mutex_;
    std::set<PlatSocket> sockets_ GUARDED_BY(mutex_);
};

GreetedSockets &greeted() {
    // Never destroyed: a server thread may still use it while the process
    // exits (a server inside a test or benchmark program ends at exit).
    static GreetedSockets *sockets = new GreetedSockets;
    return *sockets;
}

} // namespace

void markGreeted(PlatSocket socket) { greeted().add(socket); }

bool hasGreeted(PlatSocket socket) { return greeted().has(socket); }

void forgetGreeting(PlatSocket socket) { greeted().remove(socket); }
