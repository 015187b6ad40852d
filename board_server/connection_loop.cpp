// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "connection_loop.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "background_thread.h"
#include "messages.h"
#include "remote_status.h"
#include "server_log.h"

namespace {

// How often the loop looks at finished sessions and the stop predicate.
const int kAcceptWaitMs = 200;
const int kRefusalSendMs = 1000;

using Clock = std::chrono::steady_clock;

struct Session {
    PlatSocket socket = kNoSocket;
    std::string peer;
    std::thread thread;
    std::atomic<bool> welcomed{false};
    std::atomic<bool> finished{false};
};

// The failed authentications of each address within the window, recorded
// by the sessions' threads and looked at by the loop's.
class FailureRecord {
public:
    void add(const std::string &peer) {
        std::lock_guard<std::mutex> lock(mutex_);
        failures_[peer].push_back(Clock::now());
    }
    bool barred(const std::string &peer) {
        std::lock_guard<std::mutex> lock(mutex_);
        const Clock::time_point start = Clock::now() - std::chrono::milliseconds(kFailureWindowMs);
        for (auto entry = failures_.begin(); entry != failures_.end();) {
            while (!entry->second.empty() && entry->second.front() < start) {
                entry->second.pop_front();
            }
            entry = entry->second.empty() ? failures_.erase(entry) : std::next(entry);
        }
        const auto found = failures_.find(peer);
        return found != failures_.end() && found->second.size() >= kMaxFailedAuthentications;
    }

private:
    std::mutex mutex_;
    std::map<std::string, std::deque<Clock::time_point>> failures_;
};

void refuse(PlatSocket socket, const std::string &peer, const std::string &reason) {
    std::string ignored;
    const proto::Bytes frame = proto::refusedFrame(proto::kServerRefused, reason);
    platSendAll(socket, frame.data(), frame.size(), kRefusalSendMs, &ignored);
    platCloseSocket(socket);
    logLine("connection from " + peer + " refused: " + reason);
}

// Why a new connection from peer is refused; empty when it is not.
std::string limitReached(const std::list<std::unique_ptr<Session>> &sessions,
                         const std::string &peer, FailureRecord *failures) {
    if (sessions.size() >= kMaxClients) {
        return "the server serves at most " + std::to_string(kMaxClients) + " clients";
    }
    size_t fromPeer = 0;
    size_t unwelcomed = 0;
    for (const auto &session : sessions) {
        fromPeer += session->peer == peer ? 1 : 0;
        unwelcomed += session->welcomed ? 0 : 1;
    }
    if (fromPeer >= kMaxClientsPerAddress) {
        return "the server serves at most " + std::to_string(kMaxClientsPerAddress) +
               " clients from one address";
    }
    if (unwelcomed >= kMaxUnauthenticated) {
        return "the server greets at most " + std::to_string(kMaxUnauthenticated) +
               " connections at once";
    }
    if (failures->barred(peer)) {
        return "too many failed authentications from this address; try again later";
    }
    return std::string();
}

void joinFinished(std::list<std::unique_ptr<Session>> *sessions) {
    for (auto session = sessions->begin(); session != sessions->end();) {
        if ((*session)->finished) {
            (*session)->thread.join();
            platCloseSocket((*session)->socket);
            session = sessions->erase(session);
        } else {
            ++session;
        }
    }
}

} // namespace

void serveConnections(PlatSocket listener, BoardBroker *broker, const ServerSettings &settings,
                      const std::function<bool()> &stopped) {
    std::list<std::unique_ptr<Session>> sessions;
    FailureRecord failures;
    while (!stopped()) {
        const PlatSocket socket = platAccept(listener, kAcceptWaitMs);
        joinFinished(&sessions);
        if (socket == kNoSocket) {
            continue;
        }
        const std::string peer = platPeerAddress(socket);
        const std::string limit = limitReached(sessions, peer, &failures);
        if (!limit.empty()) {
            refuse(socket, peer, limit);
            continue;
        }
        std::unique_ptr<Session> session(new Session);
        Session *started = session.get();
        started->socket = socket;
        started->peer = peer;
        started->thread = platStartBackgroundThread([started, broker, &settings, &failures] {
            if (serveClient(started->socket, started->peer, broker, settings, &started->welcomed) ==
                Greeting::authenticationFailed) {
                failures.add(started->peer);
            }
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
        platCloseSocket(session->socket);
    }
}
