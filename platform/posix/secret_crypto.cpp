// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../secret_crypto.h"

#include <limits.h>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

bool platRandomBytes(uint8_t *out, size_t size) {
    return size <= INT_MAX && RAND_bytes(out, static_cast<int>(size)) == 1;
}

bool platHmacSha256(const uint8_t *key, size_t keySize, const uint8_t *data, size_t size,
                    uint8_t *out) {
    unsigned int written = 0;
    return keySize <= INT_MAX &&
           HMAC(EVP_sha256(), key, static_cast<int>(keySize), data, size, out, &written) !=
               nullptr &&
           written == kHmacSha256Bytes;
}

bool platSameSecretBytes(const uint8_t *a, const uint8_t *b, size_t size) {
    return CRYPTO_memcmp(a, b, size) == 0;
}
