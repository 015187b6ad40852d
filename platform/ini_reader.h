// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Reading values from an initialisation file, with the results of the
// Windows profile reader: section and key matched without regard to case,
// the default text when the file, section or key is missing, the value cut
// to the buffer size less one.
#ifndef PLATFORM_INI_READER_H
#define PLATFORM_INI_READER_H

#include <stdint.h>

// The largest initialisation file that is read, in bytes (16 MiB). A larger
// one is not read at all, so that a wrong or hostile file cannot take the
// memory of a program: an option file holds a few hundred bytes.
#define PLAT_INI_FILE_LIMIT (16ul * 1024ul * 1024ul)

// An initialisation file opened for lookups. A program that reads many keys
// opens the file once: on POSIX its bytes are read then, and every lookup
// is answered from them.
struct PlatIniFile;

// Opens path for lookups. A file that is missing, cannot be read or is
// larger than PLAT_INI_FILE_LIMIT still gives a handle, whose every lookup
// gives the default; null only when memory runs out, and a null handle
// reads the same way.
PlatIniFile *platOpenIniFile(const char *path);

// True when the file was found larger than PLAT_INI_FILE_LIMIT and left
// unread.
bool platIniFileTooLarge(const PlatIniFile *file);

// Copies the value (or defaultText) into buffer, NUL-terminated, and returns
// the number of characters copied. A null buffer or size 0 copies nothing.
uint32_t platReadIniValue(const PlatIniFile *file, const char *section, const char *key,
                          const char *defaultText, char *buffer, uint32_t size);

void platCloseIniFile(PlatIniFile *file);

// One lookup: opens the file, reads the value and closes it again.
uint32_t platReadIniString(const char *section, const char *key, const char *defaultText,
                           char *buffer, uint32_t size, const char *path);

#endif
