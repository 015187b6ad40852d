// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// What the socket code written once (socket_link.cpp) needs from each
// system: the system's headers and socket type, and the few calls whose
// names, flags or errors differ. posix/socket_link.cpp and
// win32/socket_link.cpp define them.
#ifndef PLATFORM_SOCKET_SYSTEM_H
#define PLATFORM_SOCKET_SYSTEM_H

#ifdef _WIN32
// WSAPoll came with Windows Vista.
#if !defined(_WIN32_WINNT) || _WIN32_WINNT < 0x0600
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
typedef SOCKET SystemSocket;
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
typedef int SystemSocket;
#endif

#include <chrono>
#include <string>

#include "socket_link.h"

namespace socket_system {

using Clock = std::chrono::steady_clock;

inline SystemSocket handleOf(PlatSocket socket) { return static_cast<SystemSocket>(socket); }

inline int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// A new socket for the resolved address, not inherited by child processes;
// kNoSocket with the reason on failure.
PlatSocket openSocket(const struct addrinfo &address, std::string *problem);

// The reason of the last failed socket call, and of a failed getaddrinfo.
std::string lastErrorText();
std::string resolveErrorText(int error);

// A listener binds its port as POSIX does: one listener a port, and no wait
// for the connections of an earlier run to time out.
void shareNoPort(SystemSocket listener);

// A connection's socket: non-blocking, inherited by no child, no delay of
// small messages.
void prepareConnection(SystemSocket socket);

void setNonBlocking(SystemSocket socket);

// What a socket waits to be.
enum class Readiness { readable, writable };

// Waits up to timeoutMs: >0 ready, 0 timed out, <0 failed.
int waitFor(SystemSocket socket, Readiness readiness, int timeoutMs);

// One send or receive as the system does it, never raising a signal: the
// bytes moved, or -1 (see lastFailure).
long sendSome(SystemSocket socket, const char *bytes, size_t size);
long receiveSome(SystemSocket socket, void *data, size_t size);

// Why the last send or receive moved nothing.
enum class Failure { interrupted, wouldBlock, other };
Failure lastFailure();

// Connects the prepared socket within timeoutMs; false with the reason.
bool connectWithin(SystemSocket socket, const struct addrinfo &address, int timeoutMs,
                   std::string *problem);

} // namespace socket_system

#endif
