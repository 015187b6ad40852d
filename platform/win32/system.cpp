// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../system.h"

#include <locale.h>
#include <stdlib.h>
#include <windows.h>

#include "stop_event.h"

// The messages are Windows-1251 bytes, as log parsers of redirected output
// expect them. A console shows bytes in its output code page, which on a
// Russian system is the OEM page 866: while the program runs, a console is
// switched to 1251 and its own page is put back when the program ends, by
// return, exit or Ctrl+C / closing the window.

namespace {

const UINT kMessageCodePage = 1251;
// From 1601-01-01, where a FILETIME counts, to 1970-01-01.
const long long kEpochDifferenceMs = 11644473600000LL;
UINT g_savedCodePage = 0; // 0: the console's page was not changed

void restoreCodePage() {
    if (g_savedCodePage != 0) {
        SetConsoleOutputCP(g_savedCodePage);
        g_savedCodePage = 0;
    }
}

void restoreAtExit() { restoreCodePage(); }

BOOL WINAPI restoreOnConsoleEvent(DWORD) {
    restoreCodePage();
    return FALSE; // the default handler still ends the program
}

void showMessagesOnConsole() {
    DWORD mode = 0;
    if (g_savedCodePage != 0 || !GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
        return;
    }
    const UINT current = GetConsoleOutputCP();
    if (current == 0 || current == kMessageCodePage || !SetConsoleOutputCP(kMessageCodePage)) {
        return;
    }
    g_savedCodePage = current;
    atexit(restoreAtExit);
    SetConsoleCtrlHandler(restoreOnConsoleEvent, TRUE);
}

} // namespace

// Ends early when a stop request arrives, so that the program gives the
// board back at once.
void platSleepMs(uint32_t milliseconds) { (void)waitForStop(milliseconds); }

void platLocalTimeNow(PlatLocalTime *now) {
    FILETIME utcFile;
    GetSystemTimeAsFileTime(&utcFile);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(utcFile.dwHighDateTime) << 32) | utcFile.dwLowDateTime;
    platLocalTimeAt(static_cast<int64_t>(ticks / 10000ULL) - kEpochDifferenceMs, now);
}

void platLocalTimeAt(int64_t millisecondsSinceEpoch, PlatLocalTime *time) {
    const long long ticksPerMs = 10000LL; // 100 ns ticks
    const long long sinceFileEpoch = millisecondsSinceEpoch + kEpochDifferenceMs;
    const unsigned long long utcTicks =
        static_cast<unsigned long long>(sinceFileEpoch < 0 ? 0 : sinceFileEpoch * ticksPerMs);
    FILETIME utcFile;
    utcFile.dwLowDateTime = static_cast<DWORD>(utcTicks);
    utcFile.dwHighDateTime = static_cast<DWORD>(utcTicks >> 32);
    SYSTEMTIME utc = {};
    SYSTEMTIME local = {};
    FILETIME localFile = utcFile;
    // The zone's rules for this moment, daylight saving time included.
    if (!FileTimeToSystemTime(&utcFile, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
        !SystemTimeToFileTime(&local, &localFile)) {
        local = utc;
        localFile = utcFile;
    }
    const auto ticks = [](const FILETIME &file) {
        return static_cast<long long>((static_cast<unsigned long long>(file.dwHighDateTime) << 32) |
                                      file.dwLowDateTime);
    };
    const long long ticksPerMinute = 60LL * 10000000LL;
    const long long difference = ticks(localFile) - ticks(utcFile);
    // The local time lost the sub-millisecond ticks: round to whole minutes.
    const long long half = difference < 0 ? -ticksPerMinute / 2 : ticksPerMinute / 2;
    time->year = local.wYear;
    time->month = local.wMonth;
    time->day = local.wDay;
    time->hour = local.wHour;
    time->minute = local.wMinute;
    time->second = local.wSecond;
    time->millisecond = local.wMilliseconds;
    time->offsetMinutes = static_cast<int>((difference + half) / ticksPerMinute);
}

bool platSetRussianLocaleAndCodePage(void) {
    const bool set = setlocale(LC_CTYPE, "Russian") != nullptr;
    showMessagesOnConsole();
    return set;
}
