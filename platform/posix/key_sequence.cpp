// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "key_sequence.h"

#include "../console.h"

namespace {

const int kEscape = 27;
const int kLongestSequence = 32; // bytes after the introducer, at most

bool isParameterOrIntermediate(int byte) { return byte >= 0x20 && byte <= 0x3F; }
bool isFinal(int byte) { return byte >= 0x40 && byte <= 0x7E; }
bool isUtf8Continuation(int byte) { return byte >= 0x80 && byte <= 0xBF; }

// Consumes parameter and intermediate bytes, byte the first of them, up to
// the final byte. A byte that cannot belong to the sequence ends it and is
// left over.
DecodedKey finishSequence(int byte, NextKeyByte next, void *source) {
    for (int taken = 0; taken < kLongestSequence; ++taken) {
        if (byte < 0 || isFinal(byte)) {
            break;
        }
        if (!isParameterOrIntermediate(byte)) {
            return {PLAT_KEY_EXTENDED, byte};
        }
        byte = next(source);
    }
    return {PLAT_KEY_EXTENDED, -1};
}

DecodedKey decodeAfterEscape(NextKeyByte next, void *source) {
    const int second = next(source);
    if (second < 0) {
        return {kEscape, -1};
    }
    if (second == kEscape) {
        return {kEscape, kEscape}; // Esc pressed twice
    }
    if (second != '[' && second != 'O') {
        return {PLAT_KEY_EXTENDED, -1}; // Alt with a key
    }
    int byte = next(source);
    if (second == '[' && byte == '[') {
        byte = next(source); // the Linux console's F1 to F5: ESC [ [ A to E
    }
    return finishSequence(byte, next, source);
}

// The number of continuation bytes a UTF-8 lead byte announces.
int continuationCount(int lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 1;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 2;
    }
    return lead >= 0xF0 && lead <= 0xF4 ? 3 : 0;
}

} // namespace

DecodedKey decodeKey(int first, NextKeyByte next, void *source) {
    if (first == kEscape) {
        return decodeAfterEscape(next, source);
    }
    for (int count = continuationCount(first); count > 0; --count) {
        const int byte = next(source);
        if (byte < 0) {
            break;
        }
        if (!isUtf8Continuation(byte)) {
            return {first, byte};
        }
    }
    return {first, -1};
}
