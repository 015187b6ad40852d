// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../secret_crypto.h"

// windows.h first: bcrypt.h uses its types.
#include <windows.h>

#include <bcrypt.h>

#include <limits.h>

namespace {

bool succeeded(NTSTATUS status) { return status >= 0; }

} // namespace

bool platRandomBytes(uint8_t *out, size_t size) {
    return size <= ULONG_MAX && succeeded(BCryptGenRandom(nullptr, out, static_cast<ULONG>(size),
                                                          BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

bool platHmacSha256(const uint8_t *key, size_t keySize, const uint8_t *data, size_t size,
                    uint8_t *out) {
    if (keySize > ULONG_MAX || size > ULONG_MAX) {
        return false;
    }
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                               BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
        return false;
    }
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool done =
        succeeded(BCryptCreateHash(algorithm, &hash, nullptr, 0, const_cast<PUCHAR>(key),
                                   static_cast<ULONG>(keySize), 0)) &&
        succeeded(BCryptHashData(hash, const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0)) &&
        succeeded(BCryptFinishHash(hash, out, kHmacSha256Bytes, 0));
    if (hash != nullptr) {
        BCryptDestroyHash(hash);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return done;
}

bool platSameSecretBytes(const uint8_t *a, const uint8_t *b, size_t size) {
    // Every byte is looked at whatever the earlier ones were; volatile keeps
    // the compiler from ending the loop early.
    volatile uint8_t difference = 0;
    for (size_t i = 0; i < size; ++i) {
        difference = static_cast<uint8_t>(difference | (a[i] ^ b[i]));
    }
    return difference == 0;
}
