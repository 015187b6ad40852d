// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Current directory, file probe and search along the standard search path.
#ifndef PLATFORM_FILESYSTEM_H
#define PLATFORM_FILESYSTEM_H

#include <stdint.h>
#include <stdio.h>

#include <string>

// The longest path the programs handle, NUL included: the Windows API's
// classic limit, kept on POSIX so that both behave alike.
#define PLAT_PATH_SIZE 260

// Writes the current directory into buffer. Returns its length without the
// NUL on success; the size it needs (NUL included) when buffer is too small,
// leaving buffer unchanged; 0 on failure (on POSIX, a directory that was
// removed while the program was in it).
uint32_t platCurrentDirectory(char *buffer, uint32_t size);

// True when path names a file that can be opened for reading; never waits.
// A directory does not count, nor, on POSIX, a FIFO or a device: the INI
// reader would not read them.
bool platCanOpenForReading(const char *path);

// Looks for a file name in the program's own directory, the current
// directory, then each directory of the search path, and writes the full
// path of the first match. Returns its length without the NUL; the size it
// needs when buffer is too small; 0 when no file was found.
uint32_t platSearchPath(const char *fileName, char *buffer, uint32_t size);

// The directory the running program's file is in, without a trailing
// separator; empty when the system does not say.
std::string platProgramDirectory();

// The running program's file name and process number, as name[number], for
// a server's log.
std::string platProgramLabel();

// The running process's number.
unsigned long platProcessNumber(void);

// True for a character that ends a directory in a path: '/', and on
// Windows also '\\'.
bool platIsPathSeparator(char c);

// The separator the platform puts between a directory and a name.
char platPathSeparator(void);

// The directory and the name joined with one separator ('/', on Windows
// '\\'), none added when the directory already ends in one; an empty
// directory gives the name alone.
std::string platJoinPath(const std::string &directory, const char *fileName);

// The path made full against the current directory, as the system reads
// it (on Windows also "." and ".." resolved); false, *full unchanged, when
// it cannot be (an empty path, a current directory that is gone).
bool platFullPath(const char *path, std::string *full);

// True when path names something that is there but is no file on disk: a
// FIFO, socket or device (on Windows a pipe, console or device name).
// Opening one for reading or writing may wait for a peer, and none keeps
// what is written to it. Never waits itself.
bool platIsSpecialFile(const char *path);

// Creates a file that is not there yet and opens it for writing bytes as
// they are; null when it cannot, with errno EEXIST when something of that
// name is there already (it is left as it is).
FILE *platOpenNewFile(const char *path);

// Opens a regular file for appending bytes as they are, creating it when it
// is missing; null when it cannot be opened or is no regular file (a FIFO
// would make the program wait for a reader, a device is no log).
FILE *platOpenAppendFile(const char *path);

#endif
