// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// What the recorder writes at the head of a recording about where it was
// made (the program, its command line and directory, the system), and the
// file identities it checks before it writes anything. Paths and texts are
// UTF-8 on Windows, the bytes as given on POSIX; empty when unknown.
#ifndef PLATFORM_PROCESS_FACTS_H
#define PLATFORM_PROCESS_FACTS_H

#include <stdint.h>

#include <string>

std::string platProgramPath();

// The arguments as the program got them, joined by spaces (an argument
// with a space or nothing in it is quoted).
std::string platCommandLine();

std::string platWorkingDirectory();

// The system's name, release and machine ("Linux 6.1.0 x86_64").
std::string platSystemName();

// A file's size in bytes and its last change, seconds since 1970 UTC.
bool platFileSizeAndTime(const char *path, uint64_t *size, int64_t *modified);

// True when both paths name one existing file (links and other spellings
// included).
bool platSameFile(const char *first, const char *second);

// The file of the loaded library (or program) that holds `address`.
bool platLibraryPathOf(const void *address, std::string *path);

#endif
