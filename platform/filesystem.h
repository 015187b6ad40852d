// Current directory, file probe and search along the standard search path.
#ifndef PLATFORM_FILESYSTEM_H
#define PLATFORM_FILESYSTEM_H

#include <stdint.h>

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

#endif
