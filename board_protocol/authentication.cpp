// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "authentication.h"

#include <string.h>

#include "environment_file.h"
#include "private_file.h"
#include "secret_crypto.h"

namespace proto {

namespace {

const char kClientLabel[] = "KELB client proof";
const char kServerLabel[] = "KELB server proof";
const char kClientToServerLabel[] = "KELB client to server key";
const char kServerToClientLabel[] = "KELB server to client key";

// A session's keys are HMACs.
static_assert(kHmacSha256Bytes == kAesGcmKeyBytes, "a session key is one HMAC-SHA256");

// A token file past this is no token file.
const size_t kMaxTokenFileBytes = 4096;

Bytes proof(const char *label, const std::string &token, const Bytes &first, const Bytes &second) {
    Bytes message(label, label + strlen(label) + 1); // the label and its NUL
    message.insert(message.end(), first.begin(), first.end());
    message.insert(message.end(), second.begin(), second.end());
    Bytes out(kHmacSha256Bytes);
    if (!platHmacSha256(reinterpret_cast<const uint8_t *>(token.data()), token.size(),
                        message.data(), message.size(), out.data())) {
        return Bytes();
    }
    return out;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

bool freshChallenge(Bytes *challenge) {
    challenge->assign(kChallengeBytes, 0);
    return platRandomBytes(challenge->data(), challenge->size());
}

Bytes clientProof(const std::string &token, const Bytes &serverChallenge,
                  const Bytes &clientChallenge) {
    return proof(kClientLabel, token, serverChallenge, clientChallenge);
}

Bytes serverProof(const std::string &token, const Bytes &clientChallenge,
                  const Bytes &serverChallenge) {
    return proof(kServerLabel, token, clientChallenge, serverChallenge);
}

SessionKeys sessionKeys(const std::string &token, const Bytes &clientChallenge,
                        const Bytes &serverChallenge) {
    SessionKeys keys;
    keys.clientToServer = proof(kClientToServerLabel, token, clientChallenge, serverChallenge);
    keys.serverToClient = proof(kServerToClientLabel, token, clientChallenge, serverChallenge);
    if (keys.clientToServer.empty() || keys.serverToClient.empty()) {
        return SessionKeys();
    }
    return keys;
}

bool proofMatches(const Bytes &received, const Bytes &expected) {
    return !expected.empty() && received.size() == expected.size() &&
           platSameSecretBytes(received.data(), expected.data(), expected.size());
}

bool readTokenFile(const std::string &path, std::string *token, std::string *problem) {
    std::string text;
    std::string reason;
    if (!platReadFile(path.c_str(), &text, &reason, kMaxTokenFileBytes)) {
        *problem = "cannot read the token file '" + path + "': " + reason;
        return false;
    }
    if (platFileOpenToOthers(path.c_str())) {
        *problem = "the token file '" + path +
                   "' is open to others than its owner (make it readable by its owner alone)";
        return false;
    }
    size_t start = 0;
    size_t end = text.size();
    while (start < end && isSpace(text[start])) {
        ++start;
    }
    while (end > start && isSpace(text[end - 1])) {
        --end;
    }
    *token = text.substr(start, end - start);
    if (token->empty()) {
        *problem = "the token file '" + path + "' holds no token";
        return false;
    }
    if (token->find_first_of("\r\n") != std::string::npos) {
        token->clear();
        *problem = "the token file '" + path + "' holds more than one line";
        return false;
    }
    return true;
}

} // namespace proto
