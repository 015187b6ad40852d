// Sleeping and the locale.
#ifndef PLATFORM_SYSTEM_H
#define PLATFORM_SYSTEM_H

#include <stdint.h>

void platSleepMs(uint32_t milliseconds);

// Sets the character-type category of the C locale to the Russian locale
// and, on Windows, switches a console's output code page to the messages'
// one until the program ends. Returns false when the system has no such
// locale; callers go on.
bool platSetRussianLocaleAndCodePage(void);

#endif
