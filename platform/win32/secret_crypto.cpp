// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../secret_crypto.h"

// windows.h first: bcrypt.h uses its types.
#include <windows.h>

#include <bcrypt.h>

#include <limits.h>

namespace {

bool succeeded(NTSTATUS status) { return status >= 0; }

// AES in GCM, opened once: opening a provider costs far more than sealing a
// message, and its handle serves every thread once its mode is set. Null
// when the system has none.
BCRYPT_ALG_HANDLE gcmAlgorithm() {
    static const BCRYPT_ALG_HANDLE algorithm = [] {
        BCRYPT_ALG_HANDLE opened = nullptr;
        if (!succeeded(BCryptOpenAlgorithmProvider(&opened, BCRYPT_AES_ALGORITHM, nullptr, 0))) {
            return static_cast<BCRYPT_ALG_HANDLE>(nullptr);
        }
        if (!succeeded(BCryptSetProperty(
                opened, BCRYPT_CHAINING_MODE,
                reinterpret_cast<PUCHAR>(const_cast<wchar_t *>(BCRYPT_CHAIN_MODE_GCM)),
                sizeof BCRYPT_CHAIN_MODE_GCM, 0))) {
            BCryptCloseAlgorithmProvider(opened, 0);
            return static_cast<BCRYPT_ALG_HANDLE>(nullptr);
        }
        return opened;
    }();
    return algorithm;
}

} // namespace

// One key made for the message: CNG takes the nonce, additional data and
// tag in the mode's record.
bool platAesGcm(bool sealing, const uint8_t *key, const uint8_t *nonce, const uint8_t *additional,
                size_t additionalSize, const uint8_t *input, size_t size, uint8_t *output,
                uint8_t *tag) {
    const BCRYPT_ALG_HANDLE algorithm = gcmAlgorithm();
    if (algorithm == nullptr || additionalSize > ULONG_MAX || size > ULONG_MAX) {
        return false;
    }
    BCRYPT_KEY_HANDLE keyHandle = nullptr;
    if (!succeeded(BCryptGenerateSymmetricKey(algorithm, &keyHandle, nullptr, 0,
                                              const_cast<PUCHAR>(key), kAesGcmKeyBytes, 0))) {
        return false;
    }
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO mode;
    BCRYPT_INIT_AUTH_MODE_INFO(mode);
    mode.pbNonce = const_cast<PUCHAR>(nonce);
    mode.cbNonce = kAesGcmNonceBytes;
    mode.pbAuthData = const_cast<PUCHAR>(additional);
    mode.cbAuthData = static_cast<ULONG>(additionalSize);
    mode.pbTag = tag;
    mode.cbTag = kAesGcmTagBytes;
    ULONG written = 0;
    const ULONG length = static_cast<ULONG>(size);
    PUCHAR in = const_cast<PUCHAR>(input);
    const NTSTATUS status =
        sealing
            ? BCryptEncrypt(keyHandle, in, length, &mode, nullptr, 0, output, length, &written, 0)
            : BCryptDecrypt(keyHandle, in, length, &mode, nullptr, 0, output, length, &written, 0);
    BCryptDestroyKey(keyHandle);
    return succeeded(status) && written == length;
}

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
