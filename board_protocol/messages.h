// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Reading and writing the protocol's messages (protocol.h). The readers are
// pure functions over bytes: whatever a peer sends, they take a whole,
// well-formed message or say what is wrong, and never allocate more than
// the frame they were given holds.
#ifndef BOARD_PROTOCOL_MESSAGES_H
#define BOARD_PROTOCOL_MESSAGES_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "call_shapes.h"
#include "protocol.h"
#include "recorded_call.h"
#include "wire_bytes.h"

namespace proto {

enum class ReadStatus { complete, incomplete, bad };

struct Frame {
    MessageKind kind = MessageKind::ping;
    Bytes body; // after the kind byte
};

// Looks for one whole frame at the start of the bytes received so far: a
// frame (and in *used the bytes it took), more bytes needed, or a frame no
// peer sends (an empty one, one past kMaxFrameBytes, an unknown kind), with
// the reason in *problem.
ReadStatus readFrame(const uint8_t *data, size_t size, Frame *frame, size_t *used,
                     std::string *problem);

struct Hello {
    uint16_t version = 0;
    uint16_t flags = 0;
    std::string clientName;
    Bytes challenge; // kChallengeBytes from a client of this version
};

struct Welcome {
    uint16_t version = 0;
    uint16_t flags = 0;
    Bytes proof; // with kWelcomeAuthenticated
};

struct Refusal {
    int32_t status = 0;
    std::string text;
};

bool readHello(const Bytes &body, Hello *hello, std::string *problem);
bool readWelcome(const Bytes &body, Welcome *welcome, std::string *problem);
bool readRefusal(const Bytes &body, Refusal *refusal, std::string *problem);
// A challenge or a proof: exactly `size` bytes.
bool readSecretRun(const Bytes &body, size_t size, Bytes *run, std::string *problem);

// A call frame's body as the call it asks for: the entry point, and each
// argument as a recording holds it before the call (numbers, texts, the
// caller's bytes of each buffer in `before`, also of one the library only
// writes, ValueKind::pointer for an empty one). Every
// buffer's length must be the one its shape gives, a control record's the
// one `book` knows for the service.
bool readCall(const Bytes &body, const rec::HandleBook &book, rec::Call *call,
              std::string *problem);

// A result frame's body, for the call that was sent: sets its result and,
// for each buffer the call changed, `written` and all its bytes after it.
bool readResult(const Bytes &body, rec::Call *call, std::string *problem);

// The entry point's shape by its index in the entry point table; null past
// the table.
const rec::EntryShape *shapeAt(size_t index);

// Whole frames, ready to send.
// `flags`: kHelloStatusQuery to ask for the server's status instead of
// becoming a client.
Bytes helloFrame(const std::string &clientName, const Bytes &challenge, uint16_t flags = 0);
// `proof` empty: a welcome without authentication.
Bytes welcomeFrame(const Bytes &proof = Bytes());
Bytes challengeFrame(const Bytes &challenge);
Bytes proofFrame(const Bytes &proof);
Bytes refusedFrame(int32_t status, const std::string &text);
Bytes pingFrame();
// A frame of the kind around a body composed elsewhere (the server's status).
Bytes frameOf(MessageKind kind, const Bytes &body);
// Every buffer goes with the bytes in `before`; a live call's buffer the
// library only writes (`before` empty) with those at its address. False
// when the call cannot
// be sent: an entry point past the table, or a frame past the limit.
bool callFrame(const rec::Call &call, Bytes *frame);
Bytes resultFrame(const rec::Call &call);

} // namespace proto

#endif
