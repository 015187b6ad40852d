// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The system's cryptography for the board server's authentication and its
// sealed messages: random bytes, HMAC-SHA256, AES-256-GCM and a comparison
// whose time does not depend on where two byte strings differ. On POSIX
// OpenSSL's libcrypto, on Windows CNG.
// Linked only into the board server, the remote board library and their
// tests, never into the programs.
#ifndef PLATFORM_SECRET_CRYPTO_H
#define PLATFORM_SECRET_CRYPTO_H

#include <stddef.h>
#include <stdint.h>

const size_t kHmacSha256Bytes = 32;

// Fills out with bytes from the system's random source; false when it
// cannot.
bool platRandomBytes(uint8_t *out, size_t size);

// HMAC-SHA256 of the data under the key into out (kHmacSha256Bytes); false
// when the system's cryptography fails.
bool platHmacSha256(const uint8_t *key, size_t keySize, const uint8_t *data, size_t size,
                    uint8_t *out);

const size_t kAesGcmKeyBytes = 32;
const size_t kAesGcmNonceBytes = 12;
const size_t kAesGcmTagBytes = 16;

// AES-256-GCM, the one step behind platAesGcmSeal and platAesGcmOpen:
// sealing, the input into output (as many bytes) and its tag; else the
// sealed input back into output, false unless the tag matches.
bool platAesGcm(bool sealing, const uint8_t *key, const uint8_t *nonce, const uint8_t *additional,
                size_t additionalSize, const uint8_t *input, size_t size, uint8_t *output,
                uint8_t *tag);

// `size` bytes of plain text sealed into `sealed` (as many bytes) and its
// tag, under the key (kAesGcmKeyBytes) and nonce (kAesGcmNonceBytes), the
// additional data bound to it unencrypted. A nonce must never serve twice
// under one key. False when the system's cryptography fails.
inline bool platAesGcmSeal(const uint8_t *key, const uint8_t *nonce, const uint8_t *additional,
                           size_t additionalSize, const uint8_t *plain, size_t size,
                           uint8_t *sealed, uint8_t *tag) {
    return platAesGcm(true, key, nonce, additional, additionalSize, plain, size, sealed, tag);
}

// The plain text back into `plain` (size bytes); false, with `plain` not to
// be used, when the key, nonce, additional data, sealed bytes or tag are not
// those it was sealed with.
inline bool platAesGcmOpen(const uint8_t *key, const uint8_t *nonce, const uint8_t *additional,
                           size_t additionalSize, const uint8_t *sealed, size_t size,
                           const uint8_t *tag, uint8_t *plain) {
    // Opening only reads the tag.
    return platAesGcm(false, key, nonce, additional, additionalSize, sealed, size, plain,
                      const_cast<uint8_t *>(tag));
}

// True when both hold the same bytes, in a time that depends only on size.
bool platSameSecretBytes(const uint8_t *a, const uint8_t *b, size_t size);

#endif
