// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Loading a shared library by path and finding its entry points.
#ifndef PLATFORM_LIBRARY_LOADER_H
#define PLATFORM_LIBRARY_LOADER_H

#include <stddef.h>

// Loads the library at path (in the form platEnvironmentPath gives), its
// own dependencies looked for beside it first. Returns null when it
// cannot be loaded, with the system's reason in reason (always
// NUL-terminated).
void *platLoadLibrary(const char *path, char *reason, size_t reasonSize);

// The address of an exported function; null when the library has none.
void *platLibraryFunction(void *library, const char *name);

#endif
