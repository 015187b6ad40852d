// The board server's protocol: what a remote board library and the server
// say to each other over one stream connection.
//
// Every message is a frame: its length (4 bytes, little-endian, at most
// kMaxFrameBytes) and that many bytes, of which the first is the message's
// kind. Numbers are little-endian. The client opens with hello (magic,
// version, flags, its name); the server answers welcome (version, flags) or
// refused. Then each board library call is one call frame answered by one
// result frame (or refused), in order; ping frames, unanswered, say that an
// idle client is still there. The flags are 0 in this version: a later one
// sets a bit in hello's and welcome's flags for an authentication step
// between them.
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
#ifndef BOARD_PROTOCOL_PROTOCOL_H
#define BOARD_PROTOCOL_PROTOCOL_H

#include <stddef.h>
#include <stdint.h>

namespace proto {

const uint16_t kVersion = 1;
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
};

// An idle client pings this often; the server lets a client go that said
// nothing for kSilenceLimitMs.
const int kPingIntervalMs = 1000;
const int kSilenceLimitMs = 5000;

} // namespace proto

#endif
