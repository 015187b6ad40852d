// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../console.h"

#include <conio.h>
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include "stop_event.h"

// On a console, keys come from _getch and _kbhit, which read the console's
// own input without echo and leave its modes as they found them; the second
// code of an extended key is taken with the first. Redirected input (a
// file, a pipe, nul) is read one raw byte at a time with ReadFile, past the
// C runtime, so that CR, LF and Ctrl-Z reach the program unchanged. Waits
// end at once when a stop request arrives.

namespace {

// How often a wait looks for a key while it watches for stop requests.
const DWORD kKeyPollMs = 50;

int g_pendingKey = -1;     // a key read ahead by platKeyWaiting
bool g_inputEnded = false; // end of redirected input was reached

HANDLE standardInput() { return GetStdHandle(STD_INPUT_HANDLE); }

bool isConsoleHandle(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

// Reads one byte of redirected input; -1 at its end, on an error, or when
// the process has no standard input at all.
int readOneByte() {
    const HANDLE input = standardInput();
    if (input == nullptr || input == INVALID_HANDLE_VALUE) {
        return -1;
    }
    unsigned char byte = 0;
    DWORD got = 0;
    if (!ReadFile(input, &byte, 1, &got, nullptr) || got != 1) {
        return -1;
    }
    return byte;
}

// For redirected input: false when it is known that no byte is waiting now,
// true when reading a byte will not wait for a writer.
bool redirectedByteMayBeRead() {
    const HANDLE input = standardInput();
    if (GetFileType(input) != FILE_TYPE_PIPE) {
        return true; // a file or nul: a read returns at once
    }
    DWORD available = 0;
    if (PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) {
        return available > 0;
    }
    if (GetLastError() == ERROR_BROKEN_PIPE) {
        g_inputEnded = true; // the writer is gone and the pipe is empty
        return false;
    }
    // A pipe that cannot be peeked (Wine's view of a Unix pipe): read from
    // it as from a file. Its writer has normally written everything already.
    return true;
}

// One key press from the console: the two codes of an arrow, Home, End,
// Insert, Delete, Page or function key (0 or 0xE0, then the scan code) are
// one key, the first code. _getch gives EOF only when the console cannot be
// read any more.
int readConsoleKey() {
    const int key = _getch();
    if (key == EOF) {
        recordConsoleClosed();
        return -1;
    }
    if (key == 0 || key == 0xE0) {
        (void)_getch();
    }
    return key;
}

// Waits for a console key; -1 when a stop request came first.
int waitForConsoleKey() {
    while (_kbhit() == 0) {
        if (waitForStop(kKeyPollMs)) {
            return -1;
        }
    }
    return readConsoleKey();
}

// Waits until a byte of a Windows pipe can be read, its writer is gone, or
// a stop request arrives (false). Other input is read at once.
bool waitForRedirectedByte() {
    const HANDLE input = standardInput();
    DWORD available = 0;
    while (GetFileType(input) == FILE_TYPE_PIPE &&
           PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr) && available == 0) {
        if (waitForStop(kKeyPollMs)) {
            return false;
        }
    }
    return true;
}

} // namespace

int platGetKey(void) {
    fflush(stdout);
    if (g_pendingKey >= 0) {
        const int key = g_pendingKey;
        g_pendingKey = -1;
        return key;
    }
    if (g_inputEnded) {
        return -1;
    }
    if (isConsoleHandle(standardInput())) {
        return waitForConsoleKey();
    }
    if (!waitForRedirectedByte()) {
        return -1;
    }
    const int key = readOneByte();
    if (key < 0) {
        g_inputEnded = true;
    }
    return key;
}

bool platKeyWaiting(void) {
    if (g_pendingKey >= 0) {
        return true;
    }
    if (g_inputEnded) {
        return false;
    }
    if (isConsoleHandle(standardInput())) {
        if (_kbhit() == 0) {
            return false;
        }
        g_pendingKey = readConsoleKey();
        return g_pendingKey >= 0;
    }
    if (!redirectedByteMayBeRead()) {
        return false;
    }
    const int key = readOneByte();
    if (key < 0) {
        g_inputEnded = true;
        return false;
    }
    g_pendingKey = key;
    return true;
}

// The console gives keys whole and without echo at any time.
void platEnterKeyMode(void) {}

void platClearScreen(void) {
    // Redirected output stays free of what "cls" would write into it (a
    // form feed on Windows), as on POSIX.
    if (!isConsoleHandle(GetStdHandle(STD_OUTPUT_HANDLE))) {
        return;
    }
    fflush(stdout);
    (void)system("cls");
}
