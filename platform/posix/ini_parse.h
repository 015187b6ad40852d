// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The initialisation-file lookup on text already in memory; the POSIX
// platReadIniString reads the file and calls it. Kept apart from the file
// reading so that tests can compare it with the Windows profile reader.
#ifndef PLATFORM_POSIX_INI_PARSE_H
#define PLATFORM_POSIX_INI_PARSE_H

#include <stddef.h>
#include <stdint.h>

// Same contract as platReadIniString, on the file's bytes (text, length).
// A null text means the file could not be read: the default is copied.
uint32_t iniLookupText(const char *text, size_t length, const char *section, const char *key,
                       const char *defaultText, char *buffer, uint32_t size);

#endif
