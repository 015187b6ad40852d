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

// At least 128 bits as a token is usually made: 32 hexadecimal digits (4 bits
// each), or 22 characters of any richer alphabet, base64's 6 bits each. A
// short token falls to guessing offline from one captured exchange.
bool strongEnough(const std::string &token) {
    const bool hexadecimal = token.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    return token.size() >= (hexadecimal ? 32u : 22u);
}

// False with the reason when the platform would not read the file.
bool secretFileUsable(const std::string &path, SecretFileFault fault, const std::string &reason,
                      std::string *problem) {
    const std::string file = "the token file '" + path + "'";
    switch (fault) {
    case SecretFileFault::none:
        return true;
    case SecretFileFault::unreadable:
        *problem = "cannot read " + file + ": " + reason;
        break;
    case SecretFileFault::special:
        *problem =
            file + " is a FIFO, socket or device, not a file (reading it could wait for ever)";
        break;
    case SecretFileFault::otherOwner:
        *problem = file + " belongs to another user (it must be yours)";
        break;
    case SecretFileFault::openToOthers:
        *problem = file + " is open to others than its owner (make it readable by its owner alone)";
        break;
    case SecretFileFault::folderOpen:
        *problem = file + " is in a folder that others may write or that another user owns (keep "
                          "it in a folder only you may write)";
        break;
    }
    return false;
}

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
    token->clear();
    const bool fromInput = path == kTokenFromStandardInput;
    const std::string named =
        fromInput ? "the token on standard input" : "the token file '" + path + "'";
    std::string text;
    std::string reason;
    if (fromInput) {
        if (!platReadStream(stdin, &text, &reason, kMaxTokenFileBytes)) {
            *problem = "cannot read the token from standard input: " + reason;
            return false;
        }
    } else if (!secretFileUsable(
                   path, platReadSecretFile(path.c_str(), kMaxTokenFileBytes, &text, &reason),
                   reason, problem)) {
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
    const std::string line = text.substr(start, end - start);
    if (line.empty()) {
        *problem = named + " holds no token";
        return false;
    }
    if (line.find_first_of("\r\n") != std::string::npos) {
        *problem = named + " holds more than one line";
        return false;
    }
    if (!strongEnough(line)) {
        *problem = named + " is shorter than 128 bits (32 hexadecimal digits, or 22 characters of "
                           "base64); make a good one with: openssl rand -hex 32";
        return false;
    }
    *token = line;
    return true;
}

} // namespace proto
