// Sleeping and the locale.
#ifndef PLATFORM_SYSTEM_H
#define PLATFORM_SYSTEM_H

#include <stdint.h>

void platSleepMs(uint32_t milliseconds);

// Sets the character-type category of the C locale to the Russian locale.
// Returns false when the system has no such locale; callers go on.
bool platSetRussianLocale(void);

#endif
