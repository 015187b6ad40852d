// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../system.h"

#include <errno.h>
#include <locale.h>
#include <poll.h>
#include <time.h>

#include "stop_wakeup.h"

namespace {

int64_t monotonicMs() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

// Ends early when a stop request arrives, so that the program gives the
// board back at once.
void platSleepMs(uint32_t milliseconds) {
    struct pollfd stop = {stopWakeupDescriptor(), POLLIN, 0};
    const int64_t end = monotonicMs() + milliseconds;
    for (int64_t left = milliseconds; left > 0; left = end - monotonicMs()) {
        const int ready = poll(&stop, stop.fd >= 0 ? 1 : 0, static_cast<int>(left));
        if (ready > 0) {
            return;
        }
        if (ready < 0 && errno != EINTR) {
            return;
        }
    }
}

void platLocalTimeNow(PlatLocalTime *now) {
    struct timespec clock;
    clock_gettime(CLOCK_REALTIME, &clock);
    platLocalTimeAt(static_cast<int64_t>(clock.tv_sec) * 1000 + clock.tv_nsec / 1000000, now);
}

void platLocalTimeAt(int64_t millisecondsSinceEpoch, PlatLocalTime *time) {
    // Floored, so that a moment before 1970 keeps a millisecond from 0 to 999.
    int64_t seconds = millisecondsSinceEpoch / 1000;
    int64_t millisecond = millisecondsSinceEpoch % 1000;
    if (millisecond < 0) {
        millisecond += 1000;
        --seconds;
    }
    const time_t whole = static_cast<time_t>(seconds);
    struct tm local = {};
    localtime_r(&whole, &local);
    time->year = local.tm_year + 1900;
    time->month = local.tm_mon + 1;
    time->day = local.tm_mday;
    time->hour = local.tm_hour;
    time->minute = local.tm_min;
    time->second = local.tm_sec;
    time->millisecond = static_cast<int>(millisecond);
    time->offsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
}

bool platSetRussianLocaleAndCodePage(void) {
    // POSIX systems have no locale called "Russian"; try it, then a UTF-8
    // Russian locale. The messages are UTF-8 here, so a failure is harmless.
    return setlocale(LC_CTYPE, "Russian") != nullptr ||
           setlocale(LC_CTYPE, "ru_RU.UTF-8") != nullptr;
}
