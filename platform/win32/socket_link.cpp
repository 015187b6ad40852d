// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../socket_system.h"
#include "../stop_request.h"

using namespace socket_system;

namespace {

// How often a wait for a connection looks at stop requests: Winsock cannot
// wait on the stop event beside a socket.
const int kStopCheckMs = 100;

std::string errorText(int error) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
    std::string result(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                               result.back() == ' ' || result.back() == '.')) {
        result.pop_back();
    }
    return result.empty() ? "error " + std::to_string(error) : result;
}

} // namespace

namespace socket_system {

int waitFor(SOCKET socket, Readiness readiness, int timeoutMs) {
    WSAPOLLFD watched = {};
    watched.fd = socket;
    watched.events = readiness == Readiness::readable ? POLLRDNORM : POLLWRNORM;
    return WSAPoll(&watched, 1, timeoutMs);
}

// Winsock moves at most an int's worth at a time.
int chunkOf(size_t size) { return size > 1u << 30 ? 1 << 30 : static_cast<int>(size); }

long sendSome(SOCKET socket, const char *bytes, size_t size) {
    return send(socket, bytes, chunkOf(size), 0);
}

long receiveSome(SOCKET socket, void *data, size_t size) {
    return recv(socket, static_cast<char *>(data), chunkOf(size), 0);
}

Failure lastFailure() {
    return WSAGetLastError() == WSAEWOULDBLOCK ? Failure::wouldBlock : Failure::other;
}

PlatSocket openSocket(const struct addrinfo &address, std::string *problem) {
    const SOCKET opened = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (opened == INVALID_SOCKET) {
        *problem = lastErrorText();
        return kNoSocket;
    }
    return static_cast<PlatSocket>(opened);
}

std::string lastErrorText() { return errorText(WSAGetLastError()); }

std::string resolveErrorText(int error) { return errorText(error); }

// One listener a port, as on POSIX without SO_REUSEADDR's Windows meaning.
void shareNoPort(SOCKET listener) {
    const BOOL exclusive = TRUE;
    setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
               reinterpret_cast<const char *>(&exclusive), sizeof exclusive);
}

void setNonBlocking(SOCKET socket) {
    u_long on = 1;
    ioctlsocket(socket, FIONBIO, &on);
}

void prepareConnection(SOCKET socket) {
    setNonBlocking(socket);
    const BOOL noDelay = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&noDelay),
               sizeof noDelay);
}

bool connectWithin(SOCKET connection, const struct addrinfo &address, int timeoutMs,
                   std::string *problem) {
    if (connect(connection, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) {
        return true;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
        *problem = lastErrorText();
        return false;
    }
    // A refused connection shows as an error event, not as writable.
    WSAPOLLFD watched = {};
    watched.fd = connection;
    watched.events = POLLWRNORM;
    const int ready = WSAPoll(&watched, 1, timeoutMs);
    int error = 0;
    int size = sizeof error;
    getsockopt(connection, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &size);
    if (ready <= 0 || error != 0 || (watched.revents & (POLLERR | POLLHUP)) != 0) {
        *problem =
            ready == 0 ? "no answer in time" : errorText(error != 0 ? error : WSAECONNREFUSED);
        return false;
    }
    return true;
}

} // namespace socket_system

bool platSocketsStart(std::string *problem) {
    WSADATA data;
    const int failed = WSAStartup(MAKEWORD(2, 2), &data);
    if (failed != 0) {
        *problem = "cannot use sockets: " + errorText(failed);
        return false;
    }
    return true;
}

void platIgnoreBrokenPipes(void) {} // Windows raises no signal for them

PlatSocket platAccept(PlatSocket listener, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (platStopStatus() != 0) {
            return kNoSocket;
        }
        const int wait =
            remainingMs(deadline) < kStopCheckMs ? remainingMs(deadline) : kStopCheckMs;
        if (waitFor(handleOf(listener), Readiness::readable, wait) > 0) {
            break;
        }
        if (remainingMs(deadline) == 0) {
            return kNoSocket;
        }
    }
    const SOCKET accepted = accept(handleOf(listener), nullptr, nullptr);
    if (accepted == INVALID_SOCKET) {
        return kNoSocket;
    }
    prepareConnection(accepted);
    return static_cast<PlatSocket>(accepted);
}

bool platPeerGone(PlatSocket socket) {
    char byte;
    const int got = recv(handleOf(socket), &byte, 1, MSG_PEEK);
    return got == 0 || (got == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK);
}

void platShutdownSocket(PlatSocket socket) { shutdown(handleOf(socket), SD_BOTH); }

void platCloseSocket(PlatSocket socket) {
    if (socket != kNoSocket) {
        closesocket(handleOf(socket));
    }
}
