// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "server_link.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <string>
#include <thread>

#include "annotated_mutex.h"
#include "authentication.h"
#include "background_thread.h"
#include "environment_file.h"
#include "filesystem.h"
#include "handle_book.h"
#include "protocol.h"
#include "remote_status.h"
#include "server_connection.h"
#include "server_timeout.h"

namespace remote {

namespace {

// One connection for every thread of the program: a call holds the lock
// for its whole exchange, as the library behind the server serves one call
// at a time anyway.
struct Link {
    Mutex mutex;
    bool tried GUARDED_BY(mutex) = false;
    int32_t failure GUARDED_BY(mutex) = 0; // the status every call gives once the link failed
    std::string server GUARDED_BY(mutex);  // as KEL_SERVER gives it
    std::string named GUARDED_BY(mutex);   // how the message names it
    int timeoutMs GUARDED_BY(mutex) = proto::kDefaultServerTimeoutMs;
    proto::ServerConnection connection GUARDED_BY(mutex);
    rec::HandleBook book GUARDED_BY(mutex);
};

// Never destroyed: the keep-alive thread may use it until the process ends.
Link &theLink() {
    static Link *link = new Link;
    return *link;
}

// The link is given up: one line says why, every later call fails at once.
int32_t giveUp(Link *link, int32_t status, const std::string &reason) REQUIRES(link->mutex) {
    fprintf(stderr, "KEL remote library: board server %s: %s\n", link->named.c_str(),
            reason.c_str());
    fflush(stderr);
    link->failure = status;
    return status;
}

void keepAlive() {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(proto::kPingIntervalMs));
        Link &link = theLink();
        // A call under way is traffic enough: the ping never waits for it.
        if (!link.mutex.tryLock()) {
            continue;
        }
        if (link.failure == 0 && link.connection.isOpen()) {
            link.connection.ping(proto::kPingIntervalMs); // a failure shows at the next call
        }
        link.mutex.unlock();
    }
}

int32_t connectLink(Link *link) REQUIRES(link->mutex) {
    link->tried = true;
    link->timeoutMs = proto::serverTimeoutSetting("KEL remote library");
    if (platEnvironmentPath("KEL_SERVER", &link->server)) {
        link->named = link->server + " (KEL_SERVER)";
    } else {
        link->server = proto::kDefaultServer;
        link->named = link->server + " (the default; KEL_SERVER names another)";
    }
    int32_t status = 0;
    std::string problem;
    std::string tokenFile;
    std::string token;
    if (platEnvironmentPath("KEL_TOKEN_FILE", &tokenFile)) {
        // The program's standard input is its own (the operator's keys).
        if (tokenFile == proto::kTokenFromStandardInput) {
            return giveUp(link, proto::kServerRefused,
                          "KEL_TOKEN_FILE=- names standard input, which is the program's own; "
                          "name the token file");
        }
        if (!proto::readTokenFile(tokenFile, &token, &problem)) {
            return giveUp(link, proto::kServerRefused, problem + " (KEL_TOKEN_FILE)");
        }
    }
    if (!link->connection.open(link->server, platProgramLabel(), token, link->timeoutMs, &status,
                               &problem)) {
        return giveUp(link, status, problem);
    }
    platStartBackgroundThread(keepAlive).detach();
    return 0;
}

// A buffer whose bytes cannot travel: a control record of unknown size, or
// one past the largest the protocol carries. Empty when every one can.
std::string uncarried(const rec::EntryShape &shape, const rec::Call &call) {
    size_t index = 0;
    for (const rec::ArgumentShape &argument : shape.arguments) {
        const rec::Value &value = call.arguments[index++];
        if (value.kind != rec::ValueKind::pointer) {
            continue;
        }
        if (argument.kind == rec::ArgumentKind::controlRecord) {
            char text[160];
            snprintf(text, sizeof text,
                     "KEL_ctrl of code 0x%x on service %d not sent: the size of its record is not "
                     "known",
                     call.arguments[2].number, static_cast<int32_t>(call.arguments[0].number));
            return text;
        }
        if (argument.countOf >= 0 &&
            call.arguments[static_cast<size_t>(argument.countOf)].number > 0) {
            return std::string(shape.name) + " not sent: its buffer " + argument.name +
                   " is larger than a call carries";
        }
    }
    return std::string();
}

int32_t exchange(Link *link, const rec::EntryShape &shape, rec::Call *call, int waitMs)
    REQUIRES(link->mutex) {
    const std::string refusal = uncarried(shape, *call);
    if (!refusal.empty()) {
        fprintf(stderr, "KEL remote library: %s\n", refusal.c_str());
        return proto::kCallNotCarried;
    }
    int32_t status = 0;
    std::string problem;
    if (!link->connection.carry(call, &link->book, waitMs, &status, &problem)) {
        if (link->connection.isOpen()) { // the call only was refused
            fprintf(stderr, "KEL remote library: %s\n", problem.c_str());
            return status;
        }
        return giveUp(link, status, problem);
    }
    return call->result;
}

} // namespace

int32_t forwardCall(const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments) {
    Link &link = theLink();
    MutexLock lock(&link.mutex);
    if (!link.tried && connectLink(&link) != 0) {
        return link.failure;
    }
    if (link.failure != 0) {
        return link.failure;
    }
    rec::Call call = rec::describeCall(shape, arguments, link.book);
    // A capture may wait at the server up to its own timeout.
    int waitMs = link.timeoutMs;
    if (&shape == &rec::shapes::capture) {
        const uint32_t timeout = arguments.begin()[4].number;
        waitMs = timeout >= static_cast<uint32_t>(proto::kLongestServerTimeoutMs - waitMs)
                     ? proto::kLongestServerTimeoutMs
                     : waitMs + static_cast<int>(timeout);
    }
    return exchange(&link, shape, &call, waitMs);
}

} // namespace remote
