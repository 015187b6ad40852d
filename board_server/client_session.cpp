// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "client_session.h"

#include <exception>
#include <memory>
#include <new>

#include "authentication.h"
#include "books_text.h"
#include "frame_sink.h"
#include "frame_source.h"
#include "greeting_progress.h"
#include "guess_throttle.h"
#include "handle_book.h"
#include "kel_entry_points.h"
#include "kel_status.h"
#include "messages.h"
#include "recording_text.h"
#include "refusal_tally.h"
#include "remote_status.h"
#include "server_log.h"
#include "session_recording.h"
#include "status_message.h"

namespace {

// One client's connection: its frames both ways, sealed once the client
// proved it holds the token.
struct ClientLink {
    explicit ClientLink(PlatSocket socket) : socket(socket), frames(socket), sink(socket) {}

    bool send(const proto::Bytes &frame, std::string *problem) {
        return sink.send(frame, proto::kSilenceLimitMs, problem);
    }

    PlatSocket socket;
    proto::FrameSource frames;
    proto::FrameSink sink;
};

// The client proves it holds the token, then the server proves it in turn
// with its welcome; every later message is sealed.
Greeting authenticate(ClientLink *link, const std::string &token, const proto::Hello &hello,
                      std::string *problem) {
    proto::Bytes challenge;
    if (!proto::freshChallenge(&challenge)) {
        *problem = "no random numbers from the system";
        return Greeting::refused;
    }
    if (!link->send(proto::challengeFrame(challenge), problem)) {
        return Greeting::refused;
    }
    proto::Frame frame;
    const proto::Arrival arrival =
        link->frames.next(&frame, proto::kAuthenticationLimitMs, problem);
    if (arrival == proto::Arrival::closed) { // no proof, in time or at all
        *problem = "authentication failed (no proof: " + *problem + ")";
        return Greeting::authenticationFailed;
    }
    waitBeforeCheckingProof(link->socket);
    proto::Bytes proof;
    if (arrival != proto::Arrival::frame || frame.kind != proto::MessageKind::proof ||
        !proto::readSecretRun(frame.body, proto::kProofBytes, &proof, problem) ||
        !proto::proofMatches(proof, proto::clientProof(token, challenge, hello.challenge))) {
        countFailedProof(link->socket);
        std::string ignored;
        link->send(proto::refusedFrame(proto::kServerRefused, proto::kAuthenticationRefused),
                   &ignored);
        *problem = "authentication failed";
        return Greeting::authenticationFailed;
    }
    const proto::SessionKeys keys = proto::sessionKeys(token, hello.challenge, challenge);
    if (keys.serverToClient.empty()) {
        *problem = "the system's cryptography failed";
        return Greeting::refused;
    }
    if (!link->send(proto::welcomeFrame(proto::serverProof(token, hello.challenge, challenge)),
                    problem)) {
        return Greeting::refused;
    }
    link->sink.seal(keys.serverToClient);
    link->frames.expectSealed(keys.clientToServer);
    return Greeting::welcomed;
}

// The greeting, and the authentication when the server holds a token; what
// is not `welcomed` ends the connection (after telling the client why, when
// it is one).
Greeting greet(ClientLink *link, const std::string &token, proto::Hello *hello,
               std::string *problem) {
    proto::Frame frame;
    if (link->frames.next(&frame, proto::kAuthenticationLimitMs, problem) !=
        proto::Arrival::frame) {
        return Greeting::refused;
    }
    if (frame.kind != proto::MessageKind::hello || !proto::readHello(frame.body, hello, problem)) {
        *problem = "no greeting";
        return Greeting::refused;
    }
    markGreeted(link->socket);
    if (hello->version != proto::kVersion) {
        *problem = "protocol version " + std::to_string(hello->version) +
                   " (this server speaks version " + std::to_string(proto::kVersion) + ")";
        std::string ignored;
        link->send(proto::refusedFrame(proto::kServerRefused, "the server refused " + *problem),
                   &ignored);
        return Greeting::refused;
    }
    if (!token.empty()) {
        return authenticate(link, token, *hello, problem);
    }
    return link->send(proto::welcomeFrame(), problem) ? Greeting::welcomed : Greeting::refused;
}

// The session's recording, when the server records; null when it does not
// or cannot (the log says why).
std::unique_ptr<SessionRecording> startRecording(const ServerSettings &settings, unsigned client,
                                                 const ClientIdentity &identity,
                                                 const std::string &who) {
    if (settings.recordDirectory.empty()) {
        return nullptr;
    }
    std::unique_ptr<SessionRecording> recording(new SessionRecording);
    std::string problem;
    if (!recording->start(settings.recordDirectory, client, identity, settings.libraryPath,
                          &problem)) {
        logLine(who + ": " + problem);
        return nullptr;
    }
    logLine(who + " recorded to " + recording->fileName());
    return recording;
}

// How a session's calls ended, for the departure's line: the last call a
// successful KEL_cleanup (the program ended as it should), the client
// silent past the limit, or the server ending the session (the client sent
// what no client sends, or the server failed).
struct SessionEnd {
    std::string problem;
    bool cleanedUp = false;
    bool silent = false;
    bool letGo = false;
};

// A call frame the server will not serve ends the connection, the client
// told why; returns why.
std::string refuseCall(ClientLink *link, const std::string &problem) {
    std::string ignored;
    link->send(proto::refusedFrame(proto::kCallNotCarried, "the server refused " + problem),
               &ignored);
    return problem;
}

// Each call read, served, recorded and answered in order until the client
// leaves, goes silent or breaks the protocol; returns how the calls ended.
SessionEnd serveCalls(ClientLink *link, BoardBroker *broker, unsigned client,
                      SessionRecording *recording, const std::string &who) {
    rec::HandleBook book;
    const PlatSocket socket = link->socket;
    const auto gone = [socket] { return platPeerGone(socket); };
    SessionEnd end;
    for (;;) {
        proto::Frame frame;
        const proto::Arrival arrival =
            link->frames.next(&frame, proto::kSilenceLimitMs, &end.problem);
        if (arrival != proto::Arrival::frame) {
            // Told by the source, not by a clock of ours: its wait may end
            // a hair before the limit it was given.
            end.silent = arrival == proto::Arrival::closed && link->frames.timedOut();
            end.letGo = arrival == proto::Arrival::bad;
            return end;
        }
        if (frame.kind == proto::MessageKind::ping) {
            continue;
        }
        rec::Call call;
        if (frame.kind != proto::MessageKind::call) {
            end.problem = refuseCall(link, "a message out of place");
            end.letGo = true;
            return end;
        }
        if (!proto::readCall(frame.body, book, &call, &end.problem)) {
            end.problem = refuseCall(link, end.problem);
            end.letGo = true;
            return end;
        }
        broker->serve(client, &call, gone);
        end.cleanedUp =
            call.entryIndex == static_cast<int>(KelEntryPoint::cleanup) && !KEL_FAILED(call.result);
        book.follow(call);
        if (recording != nullptr && !recording->write(call)) {
            logLine(who + ": cannot write the recording '" + recording->fileName() + "' any more");
        }
        if (!link->send(proto::resultFrame(call), &end.problem)) {
            return end;
        }
    }
}

// The exception being handled, for what it is.
std::string currentFailure() {
    try {
        throw;
    } catch (const std::bad_alloc &) {
        return "the server ran out of memory";
    } catch (const std::exception &error) {
        return std::string("the server failed: ") + error.what();
    } catch (...) {
        return "the server failed";
    }
}

// A status query is answered from the broker's books and goes: it never
// arrives as a client.
void answerStatusQuery(ClientLink *link, const BoardBroker &broker,
                       const ServerSettings &settings) {
    ServerStatus status;
    status.books = broker.snapshot();
    status.now = WallClock::now();
    status.started = settings.started;
    status.library = settings.libraryPath;
    std::string ignored;
    link->send(proto::frameOf(proto::MessageKind::status, statusBody(status)), &ignored);
}

// How a session ended, in an operator's words.
std::string departureText(bool cleanedUp, bool silent, bool letGo, const std::string &problem) {
    if (silent) {
        return "was let go: no word for " + std::to_string(proto::kSilenceLimitMs / 1000) + " s";
    }
    if (letGo) {
        return "was let go: " + problem;
    }
    if (cleanedUp) {
        return "left after KEL_cleanup";
    }
    return "left: its connection dropped (" + problem + ")";
}

// The client is gone: what it held is given back, and the log says so.
void depart(BoardBroker *broker, unsigned client, const std::string &who, const SessionEnd &end) {
    const std::string given = broker->depart(client);
    logLine(who + " " + departureText(end.cleanedUp, end.silent, end.letGo, end.problem) +
            (given.empty() ? "" : ": " + given));
}

} // namespace

Greeting serveClient(PlatSocket socket, const std::string &peer, BoardBroker *broker,
                     const ServerSettings &settings, std::atomic<bool> *welcomed) {
    ClientLink link(socket);
    proto::Hello hello;
    std::string problem;
    const Greeting greeting = greet(&link, settings.token, &hello, &problem);
    if (greeting == Greeting::authenticationFailed) {
        // The name is the client's own word, but helps to find the desk.
        logRefusal(peer + " (" +
                       rec::quotedText(hello.clientName.c_str(), hello.clientName.size()) + ")",
                   problem);
        return greeting;
    }
    if (greeting != Greeting::welcomed) {
        logRefusal(peer, problem);
        return greeting;
    }
    if ((hello.flags & proto::kHelloStatusQuery) != 0) {
        answerStatusQuery(&link, *broker, settings);
        return greeting;
    }
    *welcomed = true;
    const ClientIdentity identity{hello.clientName, peer};
    const unsigned client = broker->arrive(identity);
    const std::string who = clientLabel(client, identity);
    logLine(who + " arrived");
    SessionEnd end;
    try {
        const std::unique_ptr<SessionRecording> recording =
            startRecording(settings, client, identity, who);
        end = serveCalls(&link, broker, client, recording.get(), who);
    } catch (...) {
        end.problem = currentFailure();
        end.letGo = true;
    }
    depart(broker, client, who, end);
    return Greeting::welcomed;
}
