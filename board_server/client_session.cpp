// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "client_session.h"

#include <chrono>
#include <memory>
#include <thread>

#include "authentication.h"
#include "books_text.h"
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

bool send(PlatSocket socket, const proto::Bytes &frame, std::string *problem) {
    return platSendAll(socket, frame.data(), frame.size(), proto::kSilenceLimitMs, problem);
}

// The client proves it holds the token, then the server proves it in turn
// with its welcome.
Greeting authenticate(PlatSocket socket, proto::FrameSource *frames, const std::string &token,
                      const proto::Hello &hello, std::string *problem) {
    proto::Bytes challenge;
    if (!proto::freshChallenge(&challenge)) {
        *problem = "no random numbers from the system";
        return Greeting::refused;
    }
    if (!send(socket, proto::challengeFrame(challenge), problem)) {
        return Greeting::refused;
    }
    proto::Frame frame;
    const proto::Arrival arrival = frames->next(&frame, proto::kAuthenticationLimitMs, problem);
    if (arrival == proto::Arrival::closed) { // no proof, in time or at all
        *problem = "authentication failed (no proof: " + *problem + ")";
        return Greeting::authenticationFailed;
    }
    waitBeforeCheckingProof(socket);
    proto::Bytes proof;
    if (arrival != proto::Arrival::frame || frame.kind != proto::MessageKind::proof ||
        !proto::readSecretRun(frame.body, proto::kProofBytes, &proof, problem) ||
        !proto::proofMatches(proof, proto::clientProof(token, challenge, hello.challenge))) {
        countFailedProof(socket);
        std::string ignored;
        send(socket, proto::refusedFrame(proto::kServerRefused, proto::kAuthenticationRefused),
             &ignored);
        *problem = "authentication failed";
        return Greeting::authenticationFailed;
    }
    return send(socket, proto::welcomeFrame(proto::serverProof(token, hello.challenge, challenge)),
                problem)
               ? Greeting::welcomed
               : Greeting::refused;
}

// The greeting, and the authentication when the server holds a token; what
// is not `welcomed` ends the connection (after telling the client why, when
// it is one).
Greeting greet(PlatSocket socket, proto::FrameSource *frames, const std::string &token,
               proto::Hello *hello, std::string *problem) {
    proto::Frame frame;
    if (frames->next(&frame, proto::kAuthenticationLimitMs, problem) != proto::Arrival::frame) {
        return Greeting::refused;
    }
    if (frame.kind != proto::MessageKind::hello || !proto::readHello(frame.body, hello, problem)) {
        *problem = "no greeting";
        return Greeting::refused;
    }
    markGreeted(socket);
    if (hello->version != proto::kVersion) {
        *problem = "protocol version " + std::to_string(hello->version) +
                   " (this server speaks version " + std::to_string(proto::kVersion) + ")";
        std::string ignored;
        send(socket, proto::refusedFrame(proto::kServerRefused, "the server refused " + *problem),
             &ignored);
        return Greeting::refused;
    }
    if (!token.empty()) {
        return authenticate(socket, frames, token, *hello, problem);
    }
    return send(socket, proto::welcomeFrame(), problem) ? Greeting::welcomed : Greeting::refused;
}

// A status query is answered from the broker's books and goes: it never
// arrives as a client.
void answerStatusQuery(PlatSocket socket, const BoardBroker &broker,
                       const ServerSettings &settings) {
    ServerStatus status;
    status.books = broker.snapshot();
    status.now = WallClock::now();
    status.started = settings.started;
    status.library = settings.libraryPath;
    std::string ignored;
    send(socket, proto::frameOf(proto::MessageKind::status, statusBody(status)), &ignored);
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

} // namespace

Greeting serveClient(PlatSocket socket, const std::string &peer, BoardBroker *broker,
                     const ServerSettings &settings, std::atomic<bool> *welcomed) {
    proto::FrameSource frames(socket);
    proto::Hello hello;
    std::string problem;
    const Greeting greeting = greet(socket, &frames, settings.token, &hello, &problem);
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
        answerStatusQuery(socket, *broker, settings);
        return greeting;
    }
    *welcomed = true;
    const ClientIdentity identity{hello.clientName, peer};
    const unsigned client = broker->arrive(identity);
    const std::string who = clientLabel(client, identity);
    logLine(who + " arrived");
    std::unique_ptr<SessionRecording> recording;
    if (!settings.recordDirectory.empty()) {
        recording.reset(new SessionRecording);
        if (recording->start(settings.recordDirectory, client, identity, settings.libraryPath,
                             &problem)) {
            logLine(who + " recorded to " + recording->fileName());
        } else {
            logLine(who + ": " + problem);
        }
    }
    rec::HandleBook book;
    const auto gone = [socket] { return platPeerGone(socket); };
    // What the departure's line says: whether the last call was a
    // successful KEL_cleanup (the program ended as it should), the client
    // went silent, or the server ended the session (it sent what no client
    // sends, or the server ran out of memory).
    bool cleanedUp = false;
    bool silent = false;
    bool letGo = false;
    try {
        for (;;) {
            proto::Frame frame;
            const auto asked = std::chrono::steady_clock::now();
            const proto::Arrival arrival = frames.next(&frame, proto::kSilenceLimitMs, &problem);
            if (arrival != proto::Arrival::frame) {
                silent = arrival == proto::Arrival::closed &&
                         std::chrono::steady_clock::now() - asked >=
                             std::chrono::milliseconds(proto::kSilenceLimitMs);
                letGo = arrival == proto::Arrival::bad;
                break;
            }
            if (frame.kind == proto::MessageKind::ping) {
                continue;
            }
            rec::Call call;
            if (frame.kind != proto::MessageKind::call ||
                !proto::readCall(frame.body, book, &call, &problem)) {
                problem =
                    frame.kind != proto::MessageKind::call ? "a message out of place" : problem;
                std::string ignored;
                send(socket,
                     proto::refusedFrame(proto::kCallNotCarried, "the server refused " + problem),
                     &ignored);
                letGo = true;
                break;
            }
            broker->serve(client, &call, gone);
            cleanedUp = call.entryIndex == static_cast<int>(KelEntryPoint::cleanup) &&
                        !KEL_FAILED(call.result);
            book.follow(call);
            if (recording && !recording->write(call)) {
                logLine(who + ": cannot write the recording '" + recording->fileName() +
                        "' any more");
            }
            if (!send(socket, proto::resultFrame(call), &problem)) {
                break;
            }
        }
    } catch (...) {
        problem = "the server ran out of memory";
        letGo = true;
    }
    const std::string given = broker->depart(client);
    logLine(who + " " + departureText(cleanedUp, silent, letGo, problem) +
            (given.empty() ? "" : ": " + given));
    return Greeting::welcomed;
}
