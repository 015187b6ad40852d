// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The system's AES-256-GCM as the sealed messages use it, on each
// platform: a published vector, and nothing opens that was changed.
#include <gtest/gtest.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "secret_crypto.h"

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes fromHex(const std::string &hex) {
    Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// The GCM specification's test case 16: a 256-bit key, a 96-bit nonce,
// additional data and a text that is no whole number of blocks.
struct Vector {
    Bytes key = fromHex("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
    Bytes nonce = fromHex("cafebabefacedbaddecaf888");
    Bytes additional = fromHex("feedfacedeadbeeffeedfacedeadbeefabaddad2");
    Bytes plain = fromHex("d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
                          "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b39");
    Bytes sealed = fromHex("522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
                           "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662");
    Bytes tag = fromHex("76fc6ece0f4e1768cddf8853bb2d551b");

    bool opens(Bytes *plainOut) const {
        plainOut->assign(sealed.size(), 0);
        return platAesGcmOpen(key.data(), nonce.data(), additional.data(), additional.size(),
                              sealed.data(), sealed.size(), tag.data(), plainOut->data());
    }
};

TEST(SecretCrypto, AesGcmGivesThePublishedSealAndOpensIt) {
    const Vector vector;
    Bytes sealed(vector.plain.size());
    Bytes tag(kAesGcmTagBytes);
    ASSERT_TRUE(platAesGcmSeal(vector.key.data(), vector.nonce.data(), vector.additional.data(),
                               vector.additional.size(), vector.plain.data(), vector.plain.size(),
                               sealed.data(), tag.data()));
    EXPECT_EQ(sealed, vector.sealed);
    EXPECT_EQ(tag, vector.tag);
    Bytes plain;
    ASSERT_TRUE(vector.opens(&plain));
    EXPECT_EQ(plain, vector.plain);
}

// Guards against a seal that is not checked: a changed tag, byte of the
// sealed text, byte of the additional data, nonce or key is refused.
TEST(SecretCrypto, AesGcmRefusesAnythingChanged) {
    const Vector original;
    std::vector<Bytes Vector::*> parts = {&Vector::tag, &Vector::sealed, &Vector::additional,
                                          &Vector::nonce, &Vector::key};
    for (Bytes Vector::*part : parts) {
        for (size_t at : {size_t(0), (original.*part).size() - 1}) {
            Vector changed;
            (changed.*part)[at] ^= 0x01;
            Bytes plain;
            EXPECT_FALSE(changed.opens(&plain))
                << "part " << (&part - parts.data()) << " at " << at;
        }
    }
    Vector cut;
    cut.additional.pop_back();
    Bytes plain;
    EXPECT_FALSE(cut.opens(&plain));
}

} // namespace
