// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "log_clock.h"

#include <stdio.h>
#include <stdlib.h>

std::string logTimeText(const PlatLocalTime &time) {
    const int offset = abs(time.offsetMinutes);
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", time.year,
             time.month, time.day, time.hour, time.minute, time.second, time.millisecond,
             time.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

std::string timedLogLine(const std::string &text, bool timed) {
    if (!timed) {
        return "kel_server: " + text;
    }
    PlatLocalTime now{};
    platLocalTimeNow(&now);
    return logTimeText(now) + " kel_server: " + text;
}
