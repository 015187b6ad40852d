// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Sleeping, the clock and the locale.
#ifndef PLATFORM_SYSTEM_H
#define PLATFORM_SYSTEM_H

#include <stdint.h>

void platSleepMs(uint32_t milliseconds);

// A moment in local time, with the local zone's offset from UTC then.
struct PlatLocalTime {
    int year;
    int month; // 1 to 12
    int day;   // 1 to 31
    int hour;
    int minute;
    int second;
    int millisecond;
    int offsetMinutes; // east of UTC positive: +120 for UTC+02:00
};

// The local time now.
void platLocalTimeNow(PlatLocalTime *now);

// The local time at a moment given as milliseconds since 1970-01-01 UTC, by
// the zone's rules for that moment.
void platLocalTimeAt(int64_t millisecondsSinceEpoch, PlatLocalTime *local);

// Sets the character-type category of the C locale to the Russian locale
// and, on Windows, switches a console's output code page to the messages'
// one until the program ends. Returns false when the system has no such
// locale; callers go on.
bool platSetRussianLocaleAndCodePage(void);

#endif
