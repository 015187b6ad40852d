// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Key mode of the terminal on standard input: no echo, no line editing,
// one byte at a time. Once entered it lasts until the program ends; the
// operator's settings are back while the program is stopped (Ctrl+Z) and
// after it ended, whatever way it ended.
#ifndef PLATFORM_POSIX_TERMINAL_MODE_H
#define PLATFORM_POSIX_TERMINAL_MODE_H

// Enters key mode (or applies it again after the program was resumed in
// the background and brought back). False when input is not a terminal.
bool enterTerminalKeyMode(void);

#endif
