#include "../console.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

// On a terminal, keys are read in non-canonical mode without echo. Once the
// terminal has been switched, its saved settings are put back at exit and on
// every signal that ends the program, so that no run leaves the operator's
// terminal raw.

namespace {

int g_pendingKey = -1;       // a byte read ahead by platKeyWaiting
bool g_inputEnded = false;   // end of redirected input was reached
bool g_rawActive = false;    // the terminal is in key mode now
bool g_restoreArmed = false; // exit and signal handlers are installed
struct termios g_savedTerminal;

const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void restoreTerminal() {
    if (g_rawActive) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
        g_rawActive = false;
    }
}

void restoreAtExit() { restoreTerminal(); }

// Only async-signal-safe calls: put the terminal back, then die of the same
// signal so that the parent sees how the program ended.
void restoreOnSignal(int signalNumber) {
    if (g_rawActive) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void armRestore() {
    if (g_restoreArmed) {
        return;
    }
    g_restoreArmed = true;
    atexit(restoreAtExit);
    for (int signalNumber : kEndingSignals) {
        struct sigaction action = {};
        action.sa_handler = restoreOnSignal;
        sigemptyset(&action.sa_mask);
        sigaction(signalNumber, &action, nullptr);
    }
}

bool enterKeyMode() {
    if (g_rawActive) {
        return true;
    }
    if (tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0) {
        return false;
    }
    armRestore();
    struct termios keyMode = g_savedTerminal;
    keyMode.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keyMode.c_cc[VMIN] = 1;
    keyMode.c_cc[VTIME] = 0;
    g_rawActive = true;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &keyMode) != 0) {
        g_rawActive = false;
        return false;
    }
    return true;
}

// Reads one byte; -1 at end of input or on an error.
int readOneByte() {
    unsigned char byte = 0;
    for (;;) {
        const ssize_t got = read(STDIN_FILENO, &byte, 1);
        if (got == 1) {
            return byte;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return -1;
    }
}

bool inputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

} // namespace

int platGetKey(void) {
    fflush(stdout);
    if (g_pendingKey >= 0) {
        const int key = g_pendingKey;
        g_pendingKey = -1;
        return key;
    }
    if (g_inputEnded) {
        return -1;
    }
    if (inputIsTerminal()) {
        // Keep key mode when the monitor loop turned it on; otherwise leave
        // the terminal as it was found.
        const bool wasRaw = g_rawActive;
        enterKeyMode();
        const int key = readOneByte();
        if (!wasRaw) {
            restoreTerminal();
        }
        return key;
    }
    const int key = readOneByte();
    if (key < 0) {
        g_inputEnded = true;
    }
    return key;
}

bool platKeyWaiting(void) {
    if (g_pendingKey >= 0) {
        return true;
    }
    if (g_inputEnded) {
        return false;
    }
    if (inputIsTerminal()) {
        enterKeyMode();
    }
    struct pollfd input = {STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, 0) <= 0 || (input.revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
        return false;
    }
    // Readable may also mean end of input: look at the byte to tell.
    const int key = readOneByte();
    if (key < 0) {
        g_inputEnded = true;
        return false;
    }
    g_pendingKey = key;
    return true;
}

void platClearScreen(void) {
    if (isatty(STDOUT_FILENO) != 1) {
        return;
    }
    fputs("\x1b[H\x1b[2J", stdout);
    fflush(stdout);
}
