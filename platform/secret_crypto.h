// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The system's cryptography for the board server's authentication: random
// bytes, HMAC-SHA256 and a comparison whose time does not depend on where
// two byte strings differ. On POSIX OpenSSL's libcrypto, on Windows CNG.
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

// True when both hold the same bytes, in a time that depends only on size.
bool platSameSecretBytes(const uint8_t *a, const uint8_t *b, size_t size);

#endif
