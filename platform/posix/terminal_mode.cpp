// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "terminal_mode.h"

#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

// The settings found are saved when key mode is first entered. They are put
// back at exit, before the program stops on Ctrl+Z (key mode comes back when
// it continues) and before it dies of a signal that nothing else handles.
// The handlers make only async-signal-safe calls. The terminal is changed
// only while the program is in its foreground, as a background process that
// changes it is stopped by the system.

namespace {

// Signals that end the program when the program does not handle them itself
// (the stop requests of stop_request.cpp are handled): the terminal is put
// back on the way out.
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

struct termios g_foundSettings;
struct termios g_keySettings;
volatile sig_atomic_t g_keyModeWanted = 0;  // entered, and the program has not ended
volatile sig_atomic_t g_keyModeApplied = 0; // the terminal is in key mode now

bool inForeground() { return tcgetpgrp(STDIN_FILENO) == getpgrp(); }

void putFoundSettingsBack() {
    if (g_keyModeApplied && inForeground()) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_foundSettings);
    }
    g_keyModeApplied = 0;
}

void applyKeySettings() {
    if (g_keyModeWanted && !g_keyModeApplied && inForeground() &&
        tcsetattr(STDIN_FILENO, TCSANOW, &g_keySettings) == 0) {
        g_keyModeApplied = 1;
    }
}

void setHandler(int signalNumber, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

void restoreAtExit() {
    putFoundSettingsBack();
    g_keyModeWanted = 0;
}

void restoreAndDie(int signalNumber) {
    putFoundSettingsBack();
    setHandler(signalNumber, SIG_DFL);
    raise(signalNumber);
}

// Ctrl+Z: the operator's settings while stopped, then stop as the default
// action would.
void restoreAndStop(int signalNumber) {
    const int savedErrno = errno;
    putFoundSettingsBack();
    setHandler(signalNumber, SIG_DFL);
    sigset_t suspend;
    sigemptyset(&suspend);
    sigaddset(&suspend, signalNumber);
    sigprocmask(SIG_UNBLOCK, &suspend, nullptr);
    raise(signalNumber); // stopped here until SIGCONT
    setHandler(signalNumber, restoreAndStop);
    // An orphaned process group is not stopped: key mode comes back at once.
    applyKeySettings();
    errno = savedErrno;
}

void resumeKeyMode(int) {
    const int savedErrno = errno;
    applyKeySettings();
    errno = savedErrno;
}

// A signal that is ignored (nohup, a shell without job control) stays so.
void setHandlerUnlessTaken(int signalNumber, void (*handler)(int)) {
    struct sigaction current = {};
    if (sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        setHandler(signalNumber, handler);
    }
}

void installHandlers() {
    atexit(restoreAtExit);
    for (int signalNumber : kEndingSignals) {
        setHandlerUnlessTaken(signalNumber, restoreAndDie);
    }
    setHandlerUnlessTaken(SIGTSTP, restoreAndStop);
    setHandler(SIGCONT, resumeKeyMode);
}

} // namespace

bool enterTerminalKeyMode(void) {
    if (!g_keyModeWanted) {
        if (isatty(STDIN_FILENO) != 1 || tcgetattr(STDIN_FILENO, &g_foundSettings) != 0) {
            return false;
        }
        g_keySettings = g_foundSettings;
        g_keySettings.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        g_keySettings.c_cc[VMIN] = 1;
        g_keySettings.c_cc[VTIME] = 0;
        installHandlers();
        g_keyModeWanted = 1;
    }
    applyKeySettings();
    return true;
}
