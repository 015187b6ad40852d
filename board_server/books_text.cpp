// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "books_text.h"

#include <stdio.h>

#include "kel_api.h"
#include "log_clock.h"
#include "recording_text.h"
#include "system.h"

std::string clientLabel(unsigned number, const ClientIdentity &identity) {
    return "client " + std::to_string(number) + " (" +
           rec::quotedText(identity.name.c_str(), identity.name.size()) + ", " + identity.address +
           ")";
}

std::string modeName(uint32_t mode) {
    switch (mode) {
    case KEL_MODE_EXCLUSIVE:
        return "exclusive";
    case KEL_MODE_SHARED:
        return "shared";
    case KEL_MODE_SPY:
        return "spy";
    default:
        return "mode " + std::to_string(mode);
    }
}

int64_t millisecondsSinceEpoch(WallClock::time_point moment) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch()).count();
}

WallClock::time_point momentOf(int64_t milliseconds) {
    return WallClock::time_point(
        std::chrono::duration_cast<WallClock::duration>(std::chrono::milliseconds(milliseconds)));
}

std::string clockTimeText(WallClock::time_point moment) {
    PlatLocalTime local{};
    platLocalTimeAt(millisecondsSinceEpoch(moment), &local);
    char text[16];
    snprintf(text, sizeof text, "%02d:%02d:%02d", local.hour, local.minute, local.second);
    return text;
}

std::string isoTimeText(WallClock::time_point moment) {
    PlatLocalTime local{};
    platLocalTimeAt(millisecondsSinceEpoch(moment), &local);
    return logTimeText(local);
}
