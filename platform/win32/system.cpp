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

bool platSetRussianLocaleAndCodePage(void) {
    const bool set = setlocale(LC_CTYPE, "Russian") != nullptr;
    showMessagesOnConsole();
    return set;
}
