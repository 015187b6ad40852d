// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Files that an environment variable names: the recorder's recording and
// real library, the simulated library's replay and trace files. On Windows
// the variable is read in UTF-16 and kept as UTF-8, and the file is opened
// through the wide calls, so that every path the system accepts works, not
// only what the ANSI code page can spell. On POSIX both are the bytes as
// given.
#ifndef PLATFORM_ENVIRONMENT_FILE_H
#define PLATFORM_ENVIRONMENT_FILE_H

#include <stdint.h>
#include <stdio.h>

#include <string>

// The variable's value; false when it is unset or empty.
bool platEnvironmentPath(const char *name, std::string *path);

// fopen for a path in the form platEnvironmentPath gives.
FILE *platOpenFile(const char *path, const char *mode);

// Appends a whole file to text; false when it cannot be opened or read,
// with the system's reason in *problem when that is not null, or when it
// holds more than limit bytes (reading stops soon after the limit).
bool platReadFile(const char *path, std::string *text, std::string *problem = nullptr,
                  size_t limit = SIZE_MAX);

// The same for a stream already open (standard input, a file opened with
// checks of its own); the stream is left open.
bool platReadStream(FILE *file, std::string *text, std::string *problem, size_t limit);

#endif
