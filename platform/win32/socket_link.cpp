// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../socket_link.h"

// WSAPoll came with Windows Vista.
#if !defined(_WIN32_WINNT) || _WIN32_WINNT < 0x0600
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#endif

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>

#include "../stop_request.h"

namespace {

using Clock = std::chrono::steady_clock;

// How often a wait for a connection looks at stop requests: Winsock cannot
// wait on the stop event beside a socket.
const int kStopCheckMs = 100;

SOCKET handleOf(PlatSocket socket) { return static_cast<SOCKET>(socket); }

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// >0 ready, 0 timed out, <0 failed.
int waitFor(SOCKET socket, short events, int timeoutMs) {
    WSAPOLLFD watched = {};
    watched.fd = socket;
    watched.events = events;
    return WSAPoll(&watched, 1, timeoutMs);
}

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

void prepare(SOCKET socket) {
    u_long on = 1;
    ioctlsocket(socket, FIONBIO, &on);
    const BOOL noDelay = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&noDelay),
               sizeof noDelay);
}

struct Resolved {
    struct addrinfo *list = nullptr;
    ~Resolved() {
        if (list != nullptr) {
            freeaddrinfo(list);
        }
    }
};

bool resolve(const std::string &address, uint16_t port, bool passive, Resolved *resolved,
             std::string *problem) {
    struct addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | (passive ? AI_PASSIVE : 0);
    const std::string service = std::to_string(port);
    const int failed = getaddrinfo(address.c_str(), service.c_str(), &hints, &resolved->list);
    if (failed != 0) {
        *problem = "cannot resolve the address: " + errorText(failed);
        return false;
    }
    return true;
}

} // namespace

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

PlatSocket platListen(const std::string &address, uint16_t port, uint16_t *boundPort,
                      std::string *problem) {
    Resolved resolved;
    if (!resolve(address, port, true, &resolved, problem)) {
        return kNoSocket;
    }
    const struct addrinfo *first = resolved.list;
    const SOCKET listener = socket(first->ai_family, first->ai_socktype, first->ai_protocol);
    if (listener == INVALID_SOCKET) {
        *problem = errorText(WSAGetLastError());
        return kNoSocket;
    }
    // One listener a port, as on POSIX without SO_REUSEADDR's Windows meaning.
    const BOOL exclusive = TRUE;
    setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
               reinterpret_cast<const char *>(&exclusive), sizeof exclusive);
    struct sockaddr_storage bound = {};
    int boundSize = sizeof bound;
    if (bind(listener, first->ai_addr, static_cast<int>(first->ai_addrlen)) != 0 ||
        listen(listener, 64) != 0 ||
        getsockname(listener, reinterpret_cast<struct sockaddr *>(&bound), &boundSize) != 0) {
        *problem = errorText(WSAGetLastError());
        closesocket(listener);
        return kNoSocket;
    }
    *boundPort = ntohs(bound.ss_family == AF_INET6
                           ? reinterpret_cast<struct sockaddr_in6 *>(&bound)->sin6_port
                           : reinterpret_cast<struct sockaddr_in *>(&bound)->sin_port);
    u_long on = 1;
    ioctlsocket(listener, FIONBIO, &on);
    return static_cast<PlatSocket>(listener);
}

PlatSocket platAccept(PlatSocket listener, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (platStopStatus() != 0) {
            return kNoSocket;
        }
        const int wait =
            remainingMs(deadline) < kStopCheckMs ? remainingMs(deadline) : kStopCheckMs;
        if (waitFor(handleOf(listener), POLLRDNORM, wait) > 0) {
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
    prepare(accepted);
    return static_cast<PlatSocket>(accepted);
}

PlatSocket platConnect(const std::string &address, uint16_t port, int timeoutMs,
                       std::string *problem) {
    Resolved resolved;
    if (!resolve(address, port, false, &resolved, problem)) {
        return kNoSocket;
    }
    const struct addrinfo *first = resolved.list;
    const SOCKET connection = socket(first->ai_family, first->ai_socktype, first->ai_protocol);
    if (connection == INVALID_SOCKET) {
        *problem = errorText(WSAGetLastError());
        return kNoSocket;
    }
    prepare(connection);
    if (connect(connection, first->ai_addr, static_cast<int>(first->ai_addrlen)) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            *problem = errorText(WSAGetLastError());
            closesocket(connection);
            return kNoSocket;
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
            closesocket(connection);
            return kNoSocket;
        }
    }
    return static_cast<PlatSocket>(connection);
}

bool platSendAll(PlatSocket socket, const void *data, size_t size, int timeoutMs,
                 std::string *problem) {
    const char *bytes = static_cast<const char *>(data);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (size > 0) {
        const int chunk = size > 1u << 30 ? 1 << 30 : static_cast<int>(size);
        const int sent = send(handleOf(socket), bytes, chunk, 0);
        if (sent > 0) {
            bytes += sent;
            size -= static_cast<size_t>(sent);
            continue;
        }
        if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
            const int ready = waitFor(handleOf(socket), POLLWRNORM, remainingMs(deadline));
            if (ready > 0) {
                continue;
            }
            *problem = ready == 0 ? "the peer takes nothing in time" : errorText(WSAGetLastError());
            return false;
        }
        *problem = sent == SOCKET_ERROR ? errorText(WSAGetLastError()) : "connection closed";
        return false;
    }
    return true;
}

long platReceive(PlatSocket socket, void *data, size_t size, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const int wanted = size > 1u << 30 ? 1 << 30 : static_cast<int>(size);
    for (;;) {
        const int got = recv(handleOf(socket), static_cast<char *>(data), wanted, 0);
        if (got >= 0) {
            return got;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            return kReceiveFailed;
        }
        const int ready = waitFor(handleOf(socket), POLLRDNORM, remainingMs(deadline));
        if (ready == 0) {
            return kReceiveTimedOut;
        }
        if (ready < 0) {
            return kReceiveFailed;
        }
    }
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

std::string platPeerAddress(PlatSocket socket) {
    struct sockaddr_storage peer;
    socklen_t size = sizeof peer;
    char host[NI_MAXHOST];
    if (getpeername(handleOf(socket), reinterpret_cast<struct sockaddr *>(&peer), &size) != 0 ||
        getnameinfo(reinterpret_cast<struct sockaddr *>(&peer), size, host, sizeof host, nullptr, 0,
                    NI_NUMERICHOST) != 0) {
        return "an unknown address";
    }
    return host;
}
