#include "connection_loop.h"

#include <atomic>
#include <list>
#include <memory>
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

struct Session {
    PlatSocket socket = kNoSocket;
    std::thread thread;
    std::atomic<bool> finished{false};
};

void refuse(PlatSocket socket, const std::string &reason) {
    std::string ignored;
    const proto::Bytes frame = proto::refusedFrame(proto::kServerRefused, reason);
    platSendAll(socket, frame.data(), frame.size(), kRefusalSendMs, &ignored);
    platCloseSocket(socket);
    logLine("connection refused: " + reason);
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
    while (!stopped()) {
        const PlatSocket socket = platAccept(listener, kAcceptWaitMs);
        joinFinished(&sessions);
        if (socket == kNoSocket) {
            continue;
        }
        if (sessions.size() >= kMaxClients) {
            refuse(socket, "the server serves at most " + std::to_string(kMaxClients) + " clients");
            continue;
        }
        std::unique_ptr<Session> session(new Session);
        Session *started = session.get();
        started->socket = socket;
        started->thread = platStartBackgroundThread([started, broker, &settings] {
            serveClient(started->socket, broker, settings);
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
