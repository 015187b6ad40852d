// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "server_connection.h"

#include <string.h>

#include "authentication.h"
#include "messages.h"
#include "remote_status.h"

namespace proto {

ServerConnection::~ServerConnection() { platCloseSocket(socket_); }

bool ServerConnection::fail(int32_t status, const std::string &reason, int32_t *statusOut,
                            std::string *problem) {
    platCloseSocket(socket_);
    socket_ = kNoSocket;
    // Their socket's number may serve another connection from now on.
    frames_.reset();
    sink_.reset();
    *statusOut = status;
    *problem = reason;
    return false;
}

bool ServerConnection::open(const std::string &server, const std::string &clientName,
                            const std::string &token, int timeoutMs, int32_t *status,
                            std::string *problem, uint16_t helloFlags) {
    std::string address;
    uint16_t port = 0;
    if (!platSplitAddress(server, &address, &port)) {
        return fail(kServerUnreachable, "not an ADDRESS:PORT", status, problem);
    }
    std::string reason;
    if (!platSocketsStart(&reason)) {
        return fail(kServerUnreachable, reason, status, problem);
    }
    Bytes challenge;
    if (!freshChallenge(&challenge)) {
        return fail(kServerUnreachable, "no random numbers from the system", status, problem);
    }
    socket_ = platConnect(address, port, timeoutMs, &reason);
    if (socket_ == kNoSocket) {
        return fail(kServerUnreachable, "cannot connect: " + reason, status, problem);
    }
    frames_.reset(new FrameSource(socket_));
    sink_.reset(new FrameSink(socket_));
    if (!sink_->send(helloFrame(clientName, challenge, helloFlags), timeoutMs, &reason)) {
        return fail(kServerUnreachable, reason, status, problem);
    }
    return authenticate(token, challenge, timeoutMs, status, problem);
}

bool ServerConnection::authenticate(const std::string &token, const Bytes &clientChallenge,
                                    int timeoutMs, int32_t *status, std::string *problem) {
    std::string reason;
    Frame frame;
    const Arrival first = frames_->next(&frame, timeoutMs, &reason);
    if (first != Arrival::frame) {
        // Its first bytes already are what no board server sends.
        return fail(kServerUnreachable,
                    first == Arrival::bad ? "not a board server (" + reason + ")" : reason, status,
                    problem);
    }
    Bytes serverChallenge;
    if (frame.kind == MessageKind::challenge) {
        if (token.empty() ||
            !readSecretRun(frame.body, kChallengeBytes, &serverChallenge, &reason)) {
            return fail(kServerRefused, kAuthenticationRefused, status, problem);
        }
        if (!sink_->send(proofFrame(clientProof(token, serverChallenge, clientChallenge)),
                         timeoutMs, &reason) ||
            frames_->next(&frame, timeoutMs, &reason) != Arrival::frame) {
            return fail(kServerUnreachable, reason, status, problem);
        }
    }
    Refusal refusal;
    if (frame.kind == MessageKind::refused && readRefusal(frame.body, &refusal, &reason)) {
        return fail(refusal.status, refusal.text, status, problem);
    }
    Welcome welcome;
    if (frame.kind != MessageKind::welcome || !readWelcome(frame.body, &welcome, &reason) ||
        welcome.version != kVersion) {
        return fail(kServerRefused,
                    "not a board server of protocol version " + std::to_string(kVersion), status,
                    problem);
    }
    if (token.empty()) {
        return true;
    }
    // A client that holds a token talks only to a server that proves it
    // holds the same one, and only in sealed messages.
    if (serverChallenge.empty() ||
        !proofMatches(welcome.proof, serverProof(token, clientChallenge, serverChallenge))) {
        return fail(kServerRefused, "the server did not prove that it holds the token", status,
                    problem);
    }
    const SessionKeys keys = sessionKeys(token, clientChallenge, serverChallenge);
    if (keys.clientToServer.empty()) {
        return fail(kServerUnreachable, "the system's cryptography failed", status, problem);
    }
    sink_->seal(keys.clientToServer);
    frames_->expectSealed(keys.serverToClient);
    return true;
}

bool ServerConnection::exchange(rec::Call *call, int waitMs, int32_t *status,
                                std::string *problem) {
    if (!isOpen()) {
        return fail(kServerUnreachable, "not connected", status, problem);
    }
    Bytes frame;
    std::string reason;
    if (!callFrame(*call, &frame)) {
        *status = kCallNotCarried;
        *problem = "a call too large to send";
        return false;
    }
    if (!sink_->send(frame, waitMs, &reason)) {
        return fail(kServerUnreachable, reason, status, problem);
    }
    Bytes answer;
    if (!receive(MessageKind::result, waitMs, &answer, status, problem)) {
        return false;
    }
    if (!readResult(answer, call, &reason)) {
        return fail(kServerUnreachable, "an answer out of place", status, problem);
    }
    return true;
}

bool ServerConnection::carry(rec::Call *call, rec::HandleBook *book, int waitMs, int32_t *status,
                             std::string *problem) {
    if (!exchange(call, waitMs, status, problem)) {
        return false;
    }
    for (const rec::Value &value : call->arguments) {
        if (value.written && value.after.size() == value.size) {
            memcpy(value.address, value.after.data(), value.after.size());
        }
    }
    book->follow(*call);
    return true;
}

bool ServerConnection::receive(MessageKind kind, int timeoutMs, Bytes *body, int32_t *status,
                               std::string *problem) {
    std::string reason;
    Frame frame;
    if (frames_->next(&frame, timeoutMs, &reason) != Arrival::frame) {
        return fail(kServerUnreachable, reason, status, problem);
    }
    Refusal refusal;
    if (frame.kind == MessageKind::refused && readRefusal(frame.body, &refusal, &reason)) {
        return fail(refusal.status, refusal.text, status, problem);
    }
    if (frame.kind != kind) {
        return fail(kServerUnreachable, "an answer out of place", status, problem);
    }
    *body = std::move(frame.body);
    return true;
}

bool ServerConnection::ping(int timeoutMs) {
    std::string ignored;
    return isOpen() && sink_->send(pingFrame(), timeoutMs, &ignored);
}

} // namespace proto
