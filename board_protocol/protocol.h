// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The board server's protocol: what a remote board library and the server
// say to each other over one stream connection.
//
// Every message is a frame: its length (4 bytes, little-endian, at most
// kMaxFrameBytes) and that many bytes, of which the first is the message's
// kind. Numbers are little-endian. The client opens with hello (magic,
// version, flags, its name, its challenge); a server that holds a token
// answers with its own challenge and takes the client's proof
// (authentication.h); then it answers welcome (version, flags, its proof
// when it authenticated the client) or refused. Then each board library call
// is one call frame answered by one result frame (or refused), in order;
// ping frames, unanswered, say that an idle client is still there.
//
// After a welcome that authenticated the client, every frame in both
// directions travels sealed (frame_seal.h): encrypted and authenticated
// under that direction's key of the session, numbered from 0. A sealed frame
// that does not open ends the connection. Without a token nothing is sealed.
//
// A call frame: the entry point's index in the entry point table (1 byte),
// then each argument in its shape's order: a number as 4 bytes; a text as a
// presence byte (0 null, 1 given), its length (2 bytes, at most the
// argument's limit) and its bytes; a buffer or control record as a presence
// byte, its length (4 bytes) and the caller's bytes. A buffer's length is
// the one the recording's call shapes give, exactly; a buffer of unknown
// size is never sent.
//
// A result frame: the result (4 bytes), then for each buffer given, in
// order, a byte saying whether the call changed it and, when it did, the
// buffer's bytes after the call (its length as sent).
//
// A refused frame: a status (4 bytes) and one line of text (2-byte length).
//
// A hello with the flag kHelloStatusQuery asks who holds the board instead
// of becoming a client: after its welcome (authenticated as any client's)
// the server sends one status frame and closes the connection; the query
// is never one of the clients it reports. A status frame: the server's
// time now and its start (8 bytes each, milliseconds since 1970-01-01
// UTC), the served library (a text of 2-byte length), whether the library
// is started (1 byte), the number of clients (2 bytes) and for each: its
// number (4 bytes), name and address (texts), when it connected (8 bytes),
// the number of services it holds (2 bytes) and for each its name (text),
// board LID, mode as granted, handle (4 bytes each) and since when (8
// bytes), then the number of captures it waits for (2 bytes) and for each
// its service (text), LID and mode as asked (4 bytes each) and since when
// (8 bytes).
#ifndef BOARD_PROTOCOL_PROTOCOL_H
#define BOARD_PROTOCOL_PROTOCOL_H

#include <stddef.h>
#include <stdint.h>

namespace proto {

const uint16_t kVersion = 3;
const char kMagic[4] = {'K', 'E', 'L', 'B'};

// The server's address when none is named.
const char *const kDefaultAddress = "127.0.0.1";
const uint16_t kDefaultPort = 47820;
const char *const kDefaultServer = "127.0.0.1:47820";

// No message is longer: two buffers of the largest size the call shapes
// carry, a text and the headers fit with room.
const size_t kMaxFrameBytes = 256 * 1024;
const size_t kFrameHeaderBytes = 4;
const size_t kMaxClientNameBytes = 200;
const size_t kMaxRefusalTextBytes = 1000;

enum class MessageKind : uint8_t {
    hello = 1,
    welcome = 2,
    call = 3,
    result = 4,
    refused = 5,
    ping = 6,
    challenge = 7, // server: its challenge (kChallengeBytes)
    proof = 8,     // client: its proof (kProofBytes)
    status = 9,    // server: who holds the board, to a status query
};

// The bytes of a challenge and of a proof (an HMAC-SHA256).
const size_t kChallengeBytes = 32;
const size_t kProofBytes = 32;

// A hello's flag: the connection is a status query, not a client.
const uint16_t kHelloStatusQuery = 1;

// A welcome's flag: the server authenticated the client, and its proof
// follows.
const uint16_t kWelcomeAuthenticated = 1;

// What the server and the remote library say of a refused authentication,
// whatever was wrong.
const char *const kAuthenticationRefused = "the server refused authentication";

// An idle client pings this often; the server lets a client go that said
// nothing for kSilenceLimitMs.
const int kPingIntervalMs = 1000;
const int kSilenceLimitMs = 5000;
// A connection has this long for its hello, and again for its proof.
const int kAuthenticationLimitMs = 5000;

} // namespace proto

#endif
