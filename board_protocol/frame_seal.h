// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// One direction of a connection whose messages are sealed: each whole frame
// travels encrypted and authenticated (AES-256-GCM) under that direction's
// key, with its sequence number as the nonce and the sealed frame's header
// bound to it. So a frame that was changed, injected, replayed, reordered or
// cut short does not open, and the peer ends the connection.
//
// A sealed frame: its length (4 bytes, little-endian: the sealed bytes and
// the tag) then the plain frame (header and body) encrypted, then the tag
// (kAesGcmTagBytes). The nonce is the sequence number (8 bytes,
// little-endian) and four zero bytes; each direction counts from 0.
#ifndef BOARD_PROTOCOL_FRAME_SEAL_H
#define BOARD_PROTOCOL_FRAME_SEAL_H

#include <stdint.h>

#include <string>

#include "messages.h"

namespace proto {

// What the peer is told, and the log says, of a sealed frame that does not
// open.
const char *const kBrokenSeal =
    "a message that does not open under the session's key (changed, injected, replayed, "
    "reordered or cut short)";

class FrameSeal {
public:
    // `key`: kAesGcmKeyBytes.
    explicit FrameSeal(const Bytes &key) : key_(key) {}

    // The plain frame sealed under the next sequence number; false when the
    // sequence numbers are used up (the connection must end: a nonce never
    // serves twice) or the system's cryptography fails.
    bool seal(const Bytes &frame, Bytes *sealed, std::string *problem);

    // Looks for one whole sealed frame at the start of the bytes received:
    // `complete` with the plain frame it holds and in *used the bytes it
    // took, `incomplete`, or `bad` with the reason when its length is none a
    // sealed frame has or it does not open under the next sequence number.
    ReadStatus open(const uint8_t *data, size_t size, Bytes *frame, size_t *used,
                    std::string *problem);

private:
    // The nonce of the next frame; false once every one was used.
    bool nextNonce(uint8_t *nonce, std::string *problem);

    Bytes key_;
    uint64_t sequence_ = 0;
    bool exhausted_ = false;
};

} // namespace proto

#endif
