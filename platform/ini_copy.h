// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Copying a value into the caller's buffer as every INI reader here does:
// cut to the buffer size less one and always terminated.
#ifndef PLATFORM_INI_COPY_H
#define PLATFORM_INI_COPY_H

#include <stddef.h>
#include <stdint.h>

// Copies length bytes of text, cut to fit; returns the number copied.
// size is at least 1.
uint32_t iniCopyCut(const char *text, size_t length, char *buffer, uint32_t size);

// The default text as given (no quote removal; null reads as empty).
uint32_t iniCopyDefault(const char *defaultText, char *buffer, uint32_t size);

#endif
