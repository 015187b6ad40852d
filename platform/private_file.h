// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Whether a file that holds a secret (the board server's token) is kept
// from others. Linked with the cryptography (platform_crypto), only into the
// board server, the remote board library and their tests.
#ifndef PLATFORM_PRIVATE_FILE_H
#define PLATFORM_PRIVATE_FILE_H

// True when others than the file's owner may read it or write it: on POSIX
// a read or write bit for its group or for others (a file others may write
// can be replaced by them); on Windows an access list that allows reading
// or writing to Everyone, Authenticated Users, Users, Guests or Anonymous,
// or no access list at all.
bool platFileOpenToOthers(const char *path);

#endif
