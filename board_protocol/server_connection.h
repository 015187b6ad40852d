// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A client's connection to the board server: connecting and greeting, then
// one call at a time carried there and its answer back. Every wait has a
// deadline. Used by the remote board library, and by the tests and the
// benchmark that play many clients at once.
#ifndef BOARD_PROTOCOL_SERVER_CONNECTION_H
#define BOARD_PROTOCOL_SERVER_CONNECTION_H

#include <stdint.h>

#include <memory>
#include <string>

#include "frame_sink.h"
#include "frame_source.h"
#include "handle_book.h"
#include "recorded_call.h"
#include "socket_link.h"

namespace proto {

class ServerConnection {
public:
    ServerConnection() = default;
    ServerConnection(const ServerConnection &) = delete;
    ServerConnection &operator=(const ServerConnection &) = delete;
    ~ServerConnection();

    // Connects to ADDRESS:PORT and greets the server within timeoutMs; false
    // with the status to give and the reason when it cannot. With a token
    // (not empty) the server must authenticate the client and prove it
    // holds the same token, and every later message is sealed; without one,
    // a server that asks for one refuses the client.
    // `helloFlags`: kHelloStatusQuery for a status query.
    bool open(const std::string &server, const std::string &clientName, const std::string &token,
              int timeoutMs, int32_t *status, std::string *problem, uint16_t helloFlags = 0);

    // The next frame, which must be of `kind`, within timeoutMs: its body.
    // False with the status and reason otherwise (a refusal's own); the
    // connection is closed then.
    bool receive(MessageKind kind, int timeoutMs, Bytes *body, int32_t *status,
                 std::string *problem);

    // Sends a described call (see call_shapes.h; every buffer with its
    // bytes) and takes its answer within waitMs: its result and the bytes
    // each buffer holds after it (not yet copied to the caller's buffers).
    // False with the status and reason when no answer came; the connection
    // is closed then.
    bool exchange(rec::Call *call, int waitMs, int32_t *status, std::string *problem);

    // exchange, then the bytes the library wrote copied into the caller's
    // buffers, and the book told of the call.
    bool carry(rec::Call *call, rec::HandleBook *book, int waitMs, int32_t *status,
               std::string *problem);

    // Tells the server the client is still there; false when it cannot.
    bool ping(int timeoutMs);

    bool isOpen() const { return socket_ != kNoSocket; }

private:
    // The authentication step and the welcome, after hello.
    bool authenticate(const std::string &token, const Bytes &clientChallenge, int timeoutMs,
                      int32_t *status, std::string *problem);
    bool fail(int32_t status, const std::string &reason, int32_t *statusOut, std::string *problem);

    PlatSocket socket_ = kNoSocket;
    std::unique_ptr<FrameSource> frames_;
    std::unique_ptr<FrameSink> sink_;
};

} // namespace proto

#endif
