// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Console keyboard and screen.
//
// A key is read raw and without echo when standard input is a console. When
// it is redirected (a file or a pipe) a key is one byte of it, and at end of
// input no key is ever waiting and a key read returns at once, so that runs
// can be scripted and no test waits on a person. A console that goes away
// (a terminal that hangs up, a closed console window) is a stop request
// with the status of a hang-up (see stop_request.h), not a key.
//
// On a console one key press is one key: Esc is 27; an arrow, Home, End,
// Insert, Delete, Page or function key gives one code that is never 27
// (PLAT_KEY_EXTENDED on a POSIX terminal, the console's first code, 0 or
// 0xE0, on Windows), whatever number of bytes or codes it is made of.
#ifndef PLATFORM_CONSOLE_H
#define PLATFORM_CONSOLE_H

// The code of an arrow, Home, End, Insert, Delete, Page or function key, or
// of a key pressed with Alt, on a POSIX terminal: the first code the Windows
// console gives for the gray keys.
#define PLAT_KEY_EXTENDED 0xE0

// Flushes standard output, then waits for one key and returns its code, or
// -1 at end of input or when a stop request arrived (see stop_request.h).
int platGetKey(void);

// True when a key is waiting to be read by platGetKey; never waits for the
// operator (on a terminal, the rest of an escape sequence is given a moment
// to arrive, so that the key is taken whole).
bool platKeyWaiting(void);

// Keys typed from now on are not echoed and wait, whole, to be read. The
// first key wait or key test does this too; a loop that tests keys calls it
// before its first pass. Does nothing when input is not a console.
void platEnterKeyMode(void);

// Clears the console screen; does nothing when standard output is not a
// console.
void platClearScreen(void);

#endif
