// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../console.h"

#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <unistd.h>

#include "key_sequence.h"
#include "stop_wakeup.h"
#include "terminal_mode.h"

// On a terminal a key is read whole in key mode (terminal_mode.h), the
// bytes of an escape sequence decoded into one key (key_sequence.h). Waits
// end at once when a stop request arrives.

namespace {

int g_pendingKey = -1;     // a key read ahead by platKeyWaiting
int g_leftOverByte = -1;   // a byte read past the end of the last key
bool g_inputEnded = false; // end of redirected input was reached

enum InputWait { INPUT_READY, INPUT_NONE, INPUT_STOPPED };

// Waits up to timeoutMs (-1: for ever) for standard input to be readable
// (a byte or its end), watching for stop requests too.
InputWait waitForInput(int timeoutMs) {
    struct pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {stopWakeupDescriptor(), POLLIN, 0}};
    const nfds_t count = watched[1].fd >= 0 ? 2 : 1;
    for (;;) {
        const int ready = poll(watched, count, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue; // a stop request shows on its descriptor
        }
        if (count == 2 && watched[1].revents != 0) {
            return INPUT_STOPPED;
        }
        return ready > 0 ? INPUT_READY : INPUT_NONE;
    }
}

// Reads one byte that poll reported; -1 at end of input or on an error.
int readOneByte() {
    unsigned char byte = 0;
    for (;;) {
        const ssize_t got = read(STDIN_FILENO, &byte, 1);
        if (got == 1) {
            return byte;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return -1;
    }
}

// The next byte of a key already begun, when it comes soon enough.
int nextByteOfKey(void *) {
    return waitForInput(kEscapeWaitMs) == INPUT_READY ? readOneByte() : -1;
}

// One whole key from the terminal; the first byte is ready to be read.
int readTerminalKey() {
    int first = g_leftOverByte;
    g_leftOverByte = -1;
    if (first < 0) {
        first = readOneByte();
        if (first < 0) {
            g_inputEnded = true; // the terminal hung up: no key will ever come
            recordTerminalHangUp();
            return -1;
        }
    }
    const DecodedKey decoded = decodeKey(first, nextByteOfKey, nullptr);
    g_leftOverByte = decoded.leftOver;
    return decoded.key;
}

// Reads the next key, waiting for it when wait is true; -1 when none.
int readKey(bool wait) {
    if (g_pendingKey >= 0) {
        const int key = g_pendingKey;
        g_pendingKey = -1;
        return key;
    }
    if (g_inputEnded) {
        return -1;
    }
    const bool terminal = enterTerminalKeyMode();
    if (terminal && g_leftOverByte >= 0) {
        return readTerminalKey();
    }
    if (waitForInput(wait ? -1 : 0) != INPUT_READY) {
        return -1;
    }
    if (terminal) {
        return readTerminalKey();
    }
    const int key = readOneByte();
    if (key < 0) {
        g_inputEnded = true;
    }
    return key;
}

} // namespace

int platGetKey(void) {
    fflush(stdout);
    return readKey(true);
}

bool platKeyWaiting(void) {
    if (g_pendingKey < 0) {
        g_pendingKey = readKey(false);
    }
    return g_pendingKey >= 0;
}

void platEnterKeyMode(void) { enterTerminalKeyMode(); }

void platClearScreen(void) {
    if (isatty(STDOUT_FILENO) != 1) {
        return;
    }
    fputs("\x1b[H\x1b[2J", stdout);
    fflush(stdout);
}
