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

namespace {

// One context per message: a message is small, and a context of its own
// keeps the functions free of state shared between threads.
struct CipherContext {
    EVP_CIPHER_CTX *context = EVP_CIPHER_CTX_new();
    ~CipherContext() { EVP_CIPHER_CTX_free(context); }
};

} // namespace

// The tag is taken when sealing, and set before the final step, which
// checks it, when opening.
bool platAesGcm(bool sealing, const uint8_t *key, const uint8_t *nonce, const uint8_t *additional,
                size_t additionalSize, const uint8_t *input, size_t size, uint8_t *output,
                uint8_t *tag) {
    CipherContext cipher;
    if (cipher.context == nullptr || additionalSize > INT_MAX || size > INT_MAX ||
        EVP_CipherInit_ex(cipher.context, EVP_aes_256_gcm(), nullptr, key, nonce,
                          sealing ? 1 : 0) != 1) {
        return false;
    }
    const int tagSize = static_cast<int>(kAesGcmTagBytes);
    int written = 0;
    int finished = 0;
    return EVP_CipherUpdate(cipher.context, nullptr, &written, additional,
                            static_cast<int>(additionalSize)) == 1 &&
           EVP_CipherUpdate(cipher.context, output, &written, input, static_cast<int>(size)) == 1 &&
           (sealing ||
            EVP_CIPHER_CTX_ctrl(cipher.context, EVP_CTRL_GCM_SET_TAG, tagSize, tag) == 1) &&
           EVP_CipherFinal_ex(cipher.context, output + written, &finished) == 1 &&
           static_cast<size_t>(written + finished) == size &&
           (!sealing ||
            EVP_CIPHER_CTX_ctrl(cipher.context, EVP_CTRL_GCM_GET_TAG, tagSize, tag) == 1);
}
