// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// One key press from the bytes a terminal sends for it. Arrow, Home, End,
// Insert, Delete, Page and function keys send sequences that begin with Esc
// (ESC [ A, ESC O P, ESC [ 1 5 ~), Alt with a key sends Esc before it, and a
// letter outside ASCII is several UTF-8 bytes: each is one key, as on a
// Windows console, and is taken whole so that nothing of it is left for the
// next key wait or the shell.
#ifndef PLATFORM_POSIX_KEY_SEQUENCE_H
#define PLATFORM_POSIX_KEY_SEQUENCE_H

// An Esc followed by no byte for this long is the Esc key alone. The bytes
// of a sequence come in one write of the terminal, well within it.
const int kEscapeWaitMs = 100;

// Returns the next byte when one arrives within kEscapeWaitMs, else -1.
typedef int (*NextKeyByte)(void *source);

struct DecodedKey {
    int key;      // the key's code (see platGetKey)
    int leftOver; // a byte read that begins the next key; -1 when none
};

// Decodes the key that begins with byte first, reading the rest of it from
// next.
DecodedKey decodeKey(int first, NextKeyByte next, void *source);

#endif
