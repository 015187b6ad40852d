// Reading one value from an initialisation file, with the results of the
// Windows profile reader: section and key matched without regard to case,
// the default text when the file, section or key is missing, the value cut
// to the buffer size less one.
#ifndef PLATFORM_INI_READER_H
#define PLATFORM_INI_READER_H

#include <stdint.h>

// Copies the value (or defaultText) into buffer, NUL-terminated, and returns
// the number of characters copied. A null buffer or size 0 copies nothing.
uint32_t platReadIniString(const char *section, const char *key, const char *defaultText,
                           char *buffer, uint32_t size, const char *path);

#endif
