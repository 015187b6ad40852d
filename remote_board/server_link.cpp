// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "server_link.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "annotated_mutex.h"
#include "authentication.h"
#include "background_thread.h"
#include "environment_file.h"
#include "filesystem.h"
#include "handle_book.h"
#include "held_session.h"
#include "protocol.h"
#include "remote_status.h"
#include "server_connection.h"
#include "server_timeout.h"
#include "session_resume.h"

namespace remote {

namespace {

// A server that went away is tried again at most this often.
const int kReconnectSpacingMs = 1000;

// One connection for every thread of the program: a call holds the lock
// for its whole exchange, as the library behind the server serves one call
// at a time anyway. After the first connection, a server that goes away
// leaves the link without a connection until a call finds it back.
struct Link {
    Mutex mutex;
    bool tried GUARDED_BY(mutex) = false;
    int32_t failure GUARDED_BY(mutex) = 0; // the status every call gives once the link failed
    std::string server GUARDED_BY(mutex);  // as KEL_SERVER gives it
    std::string named GUARDED_BY(mutex);   // how the message names it
    std::string token GUARDED_BY(mutex);   // the first connection's, for every later one
    int timeoutMs GUARDED_BY(mutex) = proto::kDefaultServerTimeoutMs;
    // Null while the server is away.
    std::unique_ptr<proto::ServerConnection> connection GUARDED_BY(mutex);
    // When the server went away or was last tried since.
    std::chrono::steady_clock::time_point lastAttempt GUARDED_BY(mutex);
    HeldSession session GUARDED_BY(mutex);
    // The process is ending: the keep-alive pings no more.
    bool exiting GUARDED_BY(mutex) = false;
    // Why the server last refused to take the session back, as said on
    // standard error; empty while it has not refused.
    std::string refusal GUARDED_BY(mutex);
};

// Never destroyed: the keep-alive thread may use it until the process ends.
Link &theLink() {
    static Link *link = new Link;
    return *link;
}

// The first connection failed: one line says why, every later call fails
// at once.
int32_t giveUp(Link *link, int32_t status, const std::string &reason) REQUIRES(link->mutex) {
    fprintf(stderr, "KEL remote library: board server %s: %s\n", link->named.c_str(),
            reason.c_str());
    fflush(stderr);
    link->failure = status;
    return status;
}

// The server is away: one line says so; calls fail at once until one
// finds it back (reconnect).
int32_t wentAway(Link *link, int32_t status, const std::string &reason) REQUIRES(link->mutex) {
    fprintf(stderr,
            "KEL remote library: board server %s went away (%s); calls fail until it is back\n",
            link->named.c_str(), reason.c_str());
    fflush(stderr);
    link->connection.reset();
    link->lastAttempt = std::chrono::steady_clock::now();
    return status;
}

// At the process's end the system's cryptography is torn down (libcrypto
// frees its state in an exit handler of its own), while the keep-alive may
// still run: a sealed ping then failed, and a program that ended well said
// that the server went away. Registered after the first connection, so it
// runs before libcrypto's handler.
void stopKeepAliveAtExit() {
    Link &link = theLink();
    MutexLock lock(&link.mutex);
    link.exiting = true;
}

void keepAlive() {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(proto::kPingIntervalMs));
        Link &link = theLink();
        // A call under way is traffic enough: the ping never waits for it.
        if (!link.mutex.tryLock()) {
            continue;
        }
        // A ping that cannot be sent tells an idle program that the server
        // went away, so that its next call may already find it back.
        if (!link.exiting && link.connection != nullptr &&
            !link.connection->ping(proto::kPingIntervalMs)) {
            wentAway(&link, proto::kServerUnreachable, "a keep-alive could not be sent");
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
    if (platEnvironmentPath("KEL_TOKEN_FILE", &tokenFile)) {
        // The program's standard input is its own (the operator's keys).
        if (tokenFile == proto::kTokenFromStandardInput) {
            return giveUp(link, proto::kServerRefused,
                          "KEL_TOKEN_FILE=- names standard input, which is the program's own; "
                          "name the token file");
        }
        if (!proto::readTokenFile(tokenFile, &link->token, &problem)) {
            return giveUp(link, proto::kServerRefused, problem + " (KEL_TOKEN_FILE)");
        }
    }
    // The first connection's failure is final: a program started without
    // its server learns it at once, as from a library that refuses it.
    std::unique_ptr<proto::ServerConnection> connection(new proto::ServerConnection);
    if (!connection->open(link->server, platProgramLabel(), link->token, link->timeoutMs, &status,
                          &problem)) {
        return giveUp(link, status, problem);
    }
    link->connection = std::move(connection);
    platStartBackgroundThread(keepAlive).detach();
    atexit(stopKeepAliveAtExit);
    return 0;
}

// A server that is back but refuses the session (another token, another
// protocol version, no room) is named once for each reason: tried again
// every second, it would otherwise fail the calls without a word, while a
// server that is still away has been named already.
void noteRefusal(Link *link, int32_t status, const std::string &problem) REQUIRES(link->mutex) {
    if (status != proto::kServerRefused || problem == link->refusal) {
        return;
    }
    link->refusal = problem;
    fprintf(stderr,
            "KEL remote library: board server %s is back but refused the session (%s); "
            "calls fail while it does\n",
            link->named.c_str(), problem.c_str());
    fflush(stderr);
}

// A server that went away, tried again at most once in a while so that the
// calls in between fail at once; the connection and the resume together
// within one call's deadline. True when the session is back.
bool reconnect(Link *link) REQUIRES(link->mutex) {
    const auto now = std::chrono::steady_clock::now();
    if (now - link->lastAttempt < std::chrono::milliseconds(kReconnectSpacingMs)) {
        return false;
    }
    link->lastAttempt = now;
    const auto deadline = now + std::chrono::milliseconds(link->timeoutMs);
    std::unique_ptr<proto::ServerConnection> connection(new proto::ServerConnection);
    int32_t status = 0;
    std::string problem;
    std::vector<std::string> notes;
    if (!connection->open(link->server, platProgramLabel(), link->token, link->timeoutMs, &status,
                          &problem) ||
        !resumeSession(connection.get(), &link->session, deadline, &notes, &status, &problem)) {
        noteRefusal(link, status, problem);
        return false;
    }
    link->refusal.clear();
    link->connection = std::move(connection);
    fprintf(stderr, "KEL remote library: session with board server %s resumed\n",
            link->named.c_str());
    for (const std::string &note : notes) {
        fprintf(stderr, "KEL remote library: %s\n", note.c_str());
    }
    fflush(stderr);
    return true;
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
    const uint32_t programHandle = call->arguments.empty() ? 0 : call->arguments[0].number;
    if (!link->session.toServer(shape, call)) {
        return proto::kHandleNotOpen;
    }
    if (!refusal.empty()) {
        fprintf(stderr, "KEL remote library: %s\n", refusal.c_str());
        return proto::kCallNotCarried;
    }
    int32_t status = 0;
    std::string problem;
    // The session follows the call in the program's handles, not this book
    // in the server's.
    rec::HandleBook serverHandles;
    if (!link->connection->carry(call, &serverHandles, waitMs, &status, &problem)) {
        if (link->connection->isOpen()) { // the call only was refused
            fprintf(stderr, "KEL remote library: %s\n", problem.c_str());
            return status;
        }
        return wentAway(link, status, problem);
    }
    link->session.follow(shape, call, programHandle);
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
    if (link.connection == nullptr && !reconnect(&link)) {
        return proto::kServerUnreachable;
    }
    rec::Call call = rec::describeCall(shape, arguments, link.session.book());
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
