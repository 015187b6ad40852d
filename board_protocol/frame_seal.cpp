// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "frame_seal.h"

#include <string.h>

#include "secret_crypto.h"

namespace proto {

namespace {

// The smallest plain frame: a header and a kind.
const size_t kSmallestSealedBytes = kFrameHeaderBytes + 1 + kAesGcmTagBytes;
const size_t kLargestSealedBytes = kFrameHeaderBytes + kMaxFrameBytes + kAesGcmTagBytes;

void putLength(uint32_t length, uint8_t *out) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<uint8_t>(length >> (8 * i));
    }
}

} // namespace

bool FrameSeal::nextNonce(uint8_t *nonce, std::string *problem) {
    if (exhausted_) {
        *problem = "the session's sequence numbers are used up";
        return false;
    }
    memset(nonce, 0, kAesGcmNonceBytes);
    for (int i = 0; i < 8; ++i) {
        nonce[i] = static_cast<uint8_t>(sequence_ >> (8 * i));
    }
    // The last number is used, never wrapped to 0 again.
    exhausted_ = sequence_ == UINT64_MAX;
    ++sequence_;
    return true;
}

bool FrameSeal::seal(const Bytes &frame, Bytes *sealed, std::string *problem) {
    if (frame.size() > kLargestSealedBytes - kFrameHeaderBytes - kAesGcmTagBytes) {
        *problem = "a message too large to seal";
        return false;
    }
    uint8_t nonce[kAesGcmNonceBytes];
    if (!nextNonce(nonce, problem)) {
        return false;
    }
    sealed->assign(kFrameHeaderBytes + frame.size() + kAesGcmTagBytes, 0);
    putLength(static_cast<uint32_t>(frame.size() + kAesGcmTagBytes), sealed->data());
    uint8_t *body = sealed->data() + kFrameHeaderBytes;
    if (!platAesGcmSeal(key_.data(), nonce, sealed->data(), kFrameHeaderBytes, frame.data(),
                        frame.size(), body, body + frame.size())) {
        *problem = "the system's cryptography failed";
        return false;
    }
    return true;
}

ReadStatus FrameSeal::open(const uint8_t *data, size_t size, Bytes *frame, size_t *used,
                           std::string *problem) {
    if (size < kFrameHeaderBytes) {
        return ReadStatus::incomplete;
    }
    const size_t length = static_cast<size_t>(data[0]) | static_cast<size_t>(data[1]) << 8 |
                          static_cast<size_t>(data[2]) << 16 | static_cast<size_t>(data[3]) << 24;
    if (length < kSmallestSealedBytes - kFrameHeaderBytes ||
        length > kLargestSealedBytes - kFrameHeaderBytes) {
        *problem = kBrokenSeal;
        return ReadStatus::bad;
    }
    if (size - kFrameHeaderBytes < length) {
        return ReadStatus::incomplete;
    }
    uint8_t nonce[kAesGcmNonceBytes];
    if (!nextNonce(nonce, problem)) {
        return ReadStatus::bad;
    }
    const size_t plainSize = length - kAesGcmTagBytes;
    const uint8_t *body = data + kFrameHeaderBytes;
    frame->assign(plainSize, 0);
    if (!platAesGcmOpen(key_.data(), nonce, data, kFrameHeaderBytes, body, plainSize,
                        body + plainSize, frame->data())) {
        frame->clear();
        *problem = kBrokenSeal;
        return ReadStatus::bad;
    }
    *used = kFrameHeaderBytes + length;
    return ReadStatus::complete;
}

} // namespace proto
