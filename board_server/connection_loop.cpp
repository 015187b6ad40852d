// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "connection_loop.h"

#include <atomic>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "background_thread.h"
#include "connection_source.h"
#include "greeting_progress.h"
#include "messages.h"
#include "refusal_tally.h"
#include "remote_status.h"
#include "server_counters.h"
#include "server_log.h"

namespace {

// How often the loop looks at finished sessions and the stop predicate.
const int kAcceptWaitMs = 200;
const int kRefusalSendMs = 1000;

struct Session {
    PlatSocket socket = kNoSocket;
    std::string peer;
    std::string source;
    std::thread thread;
    std::atomic<bool> welcomed{false};
    std::atomic<bool> finished{false};
    // By the loop, to make room; its thread ends soon, and reads it to
    // tell a drop from a connection that never greeted.
    std::atomic<bool> dropped{false};
};

using Sessions = std::list<std::unique_ptr<Session>>; // oldest first

bool waitsForWelcome(const Session &session) { return !session.welcomed && !session.dropped; }

// Why a new connection is refused: the log's words and the metrics' label.
struct Limit {
    std::string words; // empty: not refused
    RefusalReason reason = RefusalReason::clientLimit;
};

void refuse(PlatSocket socket, const std::string &peer, const std::string &reason) {
    std::string ignored;
    const proto::Bytes frame = proto::refusedFrame(proto::kServerRefused, reason);
    platSendAll(socket, frame.data(), frame.size(), kRefusalSendMs, &ignored);
    platCloseSocket(socket);
    logRefusal(peer, reason);
}

// Why a new connection from peer is refused; empty when it is not. Only
// welcomed clients count: the others make room (makeRoomFor).
Limit limitReached(const Sessions &sessions, const std::string &peer) {
    size_t welcomed = 0;
    size_t fromPeer = 0;
    for (const auto &session : sessions) {
        welcomed += session->welcomed ? 1 : 0;
        fromPeer += session->welcomed && session->peer == peer ? 1 : 0;
    }
    if (welcomed >= kMaxClients) {
        return {"the server serves at most " + std::to_string(kMaxClients) + " clients",
                RefusalReason::clientLimit};
    }
    if (fromPeer >= kMaxClientsPerAddress) {
        return {"the server serves at most " + std::to_string(kMaxClientsPerAddress) +
                    " clients from one address",
                RefusalReason::addressLimit};
    }
    return Limit();
}

// The oldest connection that `counts` among those of the source that has
// the most of them (the new connection's source counted with one more);
// nullptr when none counts.
template <class Counts>
Session *oldestOfTheHeaviest(const Sessions &sessions, const std::string &newSource,
                             Counts counts) {
    std::map<std::string, size_t> bySource;
    for (const auto &session : sessions) {
        bySource[session->source] += counts(*session) ? 1 : 0;
    }
    ++bySource[newSource];
    std::string heaviest;
    size_t most = 0;
    for (const auto &entry : bySource) {
        // On a tie the new connection's source is no victim: it holds the
        // fewest of them.
        if (entry.second > most || (entry.second == most && heaviest == newSource)) {
            most = entry.second;
            heaviest = entry.first;
        }
    }
    Session *oldest = nullptr;
    for (const auto &session : sessions) {
        if (counts(*session) && session->source == heaviest) {
            return session.get();
        }
        oldest = oldest == nullptr && counts(*session) ? session.get() : oldest;
    }
    return oldest;
}

// The connection not yet welcomed that a new one from source replaces
// when all places are taken: one that has not greeted before one that is
// proving the token, and of those the oldest of the source that holds the
// most, so that a flooding address loses its own and one that holds a few
// keeps them.
Session *roomFor(const Sessions &sessions, const std::string &source) {
    size_t waiting = 0;
    for (const auto &session : sessions) {
        waiting += waitsForWelcome(*session) ? 1 : 0;
    }
    if (waiting < kMaxUnwelcomed) {
        return nullptr;
    }
    Session *silent = oldestOfTheHeaviest(sessions, source, [](const Session &session) {
        return waitsForWelcome(session) && !hasGreeted(session.socket);
    });
    return silent != nullptr ? silent : oldestOfTheHeaviest(sessions, source, waitsForWelcome);
}

void makeRoomFor(const Sessions &sessions, const std::string &source) {
    Session *victim = roomFor(sessions, source);
    if (victim != nullptr && !victim->welcomed) {
        victim->dropped = true;
        platShutdownSocket(victim->socket); // its thread sees the end and finishes
        serverCounters().countRefusal(RefusalReason::flood);
        logRefusal(victim->peer, "dropped before its welcome to make room for a new connection");
    }
}

void joinFinished(Sessions *sessions) {
    for (auto session = sessions->begin(); session != sessions->end();) {
        if ((*session)->finished) {
            (*session)->thread.join();
            forgetGreeting((*session)->socket);
            platCloseSocket((*session)->socket);
            session = sessions->erase(session);
        } else {
            ++session;
        }
    }
}

// A greeting that failed, counted by why; a dropped connection was
// counted when it was dropped.
void countGreeting(Greeting greeting, const Session &session) {
    if (greeting == Greeting::authenticationFailed) {
        serverCounters().countRefusal(RefusalReason::authentication);
    } else if (greeting == Greeting::refused && !session.dropped) {
        serverCounters().countRefusal(RefusalReason::protocol);
    }
}

} // namespace

void serveConnections(PlatSocket listener, BoardBroker *broker, const ServerSettings &settings,
                      const std::function<bool()> &stopped) {
    Sessions sessions;
    while (!stopped()) {
        const PlatSocket socket = platAccept(listener, kAcceptWaitMs);
        joinFinished(&sessions);
        flushRefusals();
        if (socket == kNoSocket) {
            continue;
        }
        const std::string peer = platPeerAddress(socket);
        const Limit limit = limitReached(sessions, peer);
        if (!limit.words.empty()) {
            serverCounters().countRefusal(limit.reason);
            refuse(socket, peer, limit.words);
            continue;
        }
        std::unique_ptr<Session> session(new Session);
        Session *started = session.get();
        started->socket = socket;
        started->peer = peer;
        started->source = connectionSource(peer);
        makeRoomFor(sessions, started->source);
        started->thread = platStartBackgroundThread([started, broker, &settings] {
            countGreeting(
                serveClient(started->socket, started->peer, broker, settings, &started->welcomed),
                *started);
            started->finished = true;
        });
        sessions.push_back(std::move(session));
    }
    logLine("stopping: giving back what every client holds");
    broker->stopWaits();
    for (const auto &session : sessions) {
        platShutdownSocket(session->socket);
    }
    for (const auto &session : sessions) {
        session->thread.join();
        forgetGreeting(session->socket);
        platCloseSocket(session->socket);
    }
}
