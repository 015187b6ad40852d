// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The authentication step between hello and welcome, for a server that holds
// a token: each side proves it holds the same token without sending it.
//
// The client's hello carries a fresh random challenge of its own; the server
// answers with its own fresh challenge; the client answers with its proof,
// HMAC-SHA256 under the token of a label and both challenges; the server
// checks it and welcomes the client with its proof, HMAC-SHA256 under the
// token of another label and both challenges in the other order. A captured
// exchange proves nothing on a new connection: the server's challenge is new
// each time. The labels keep one side's proof from serving as the other's.
//
// From the welcome on, every message in both directions is sealed
// (frame_seal.h) under keys that only holders of the token derive, new for
// each connection: HMAC-SHA256 under the token of a label of its own for each
// direction and both challenges. A relay that passed the authentication
// through untouched can neither read the calls nor change, add, repeat or
// keep sending them.
#ifndef BOARD_PROTOCOL_AUTHENTICATION_H
#define BOARD_PROTOCOL_AUTHENTICATION_H

#include <string>

#include "messages.h"

namespace proto {

// A fresh challenge from the system's random source; false when there is
// none.
bool freshChallenge(Bytes *challenge);

// The client's proof for the server's challenge, and the server's for the
// client's; empty when the system's cryptography fails.
Bytes clientProof(const std::string &token, const Bytes &serverChallenge,
                  const Bytes &clientChallenge);
Bytes serverProof(const std::string &token, const Bytes &clientChallenge,
                  const Bytes &serverChallenge);

// The keys of one connection's two directions (kAesGcmKeyBytes each); both
// empty when the system's cryptography fails.
struct SessionKeys {
    Bytes clientToServer;
    Bytes serverToClient;
};
SessionKeys sessionKeys(const std::string &token, const Bytes &clientChallenge,
                        const Bytes &serverChallenge);

// True when the proof received is the one expected (and not empty), compared
// in constant time.
bool proofMatches(const Bytes &received, const Bytes &expected);

// The name that makes readTokenFile read standard input, for a script
// that pipes the token to the server.
const char kTokenFromStandardInput[] = "-";

// The token in the file (or on standard input): its one line without
// surrounding white space. False with the reason when the file cannot be
// read or is no file on disk (never waiting for a FIFO's writer), holds no
// token or one shorter than 128 bits, belongs to another user, others than
// its owner may read it, or others may write its folder.
bool readTokenFile(const std::string &path, std::string *token, std::string *problem);

} // namespace proto

#endif
