// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Reading a file that holds a secret (the board server's token) only when
// it is kept from others. Linked with the cryptography (platform_crypto),
// only into the board server, the remote board library and their tests.
#ifndef PLATFORM_PRIVATE_FILE_H
#define PLATFORM_PRIVATE_FILE_H

#include <stddef.h>

#include <string>

// Why a secret file was not read, or none.
enum class SecretFileFault {
    none,
    unreadable,   // it cannot be opened or read, or is too large: *reason says why
    special,      // a FIFO, socket or device: reading it could wait for ever
    otherOwner,   // another user than the one running owns it (or the link to it)
    openToOthers, // others than its owner may read or write it
    folderOpen,   // others may add or replace files in its folder
};

// Appends the file's bytes (at most limit) to text when it is a regular
// file of the running user (or of the system's administrator: root, on
// Windows Administrators or SYSTEM), kept from others, in a folder others
// cannot write. Never waits: the file's type is checked before it is
// opened, and again on what was opened.
//
// Kept from others: on POSIX no read or write bit for its group or for
// others; on Windows an access list that allows neither reading nor writing
// to Everyone, Authenticated Users, Users, Guests or Anonymous (no access
// list at all allows everyone).
SecretFileFault platReadSecretFile(const char *path, size_t limit, std::string *text,
                                   std::string *reason);

#endif
