// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The socket code both systems share: resolving, preparing a listener or a
// connection, and an address as text. The system calls that differ are in
// posix/ and win32/ (socket_system.h).
#include "socket_system.h"

using namespace socket_system;

namespace {

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
        *problem = "cannot resolve the address: " + resolveErrorText(failed);
        return false;
    }
    return true;
}

bool isLoopback(const struct sockaddr *address) {
    if (address->sa_family == AF_INET) {
        const struct in_addr &ipv4 =
            reinterpret_cast<const struct sockaddr_in *>(address)->sin_addr;
        return platIsLoopbackAddress(reinterpret_cast<const uint8_t *>(&ipv4), sizeof ipv4);
    }
    if (address->sa_family == AF_INET6) {
        const struct in6_addr &ipv6 =
            reinterpret_cast<const struct sockaddr_in6 *>(address)->sin6_addr;
        return platIsLoopbackAddress(reinterpret_cast<const uint8_t *>(&ipv6), sizeof ipv6);
    }
    return false;
}

bool anyBeyondLoopback(const struct addrinfo *list) {
    for (const struct addrinfo *entry = list; entry != nullptr; entry = entry->ai_next) {
        if (!isLoopback(entry->ai_addr)) {
            return true;
        }
    }
    return false;
}

uint16_t portOf(const struct sockaddr_storage &address) {
    return ntohs(address.ss_family == AF_INET6
                     ? reinterpret_cast<const struct sockaddr_in6 *>(&address)->sin6_port
                     : reinterpret_cast<const struct sockaddr_in *>(&address)->sin_port);
}

// A socket for the first address the name resolves to, the whole list kept
// in *resolved; kNoSocket with the reason.
PlatSocket openResolved(const std::string &address, uint16_t port, bool passive, Resolved *resolved,
                        std::string *problem) {
    return resolve(address, port, passive, resolved, problem) ? openSocket(*resolved->list, problem)
                                                              : kNoSocket;
}

} // namespace

PlatSocket platListen(const std::string &address, uint16_t port, uint16_t *boundPort,
                      std::string *problem, bool *beyondLoopback) {
    Resolved resolved;
    const PlatSocket listener = openResolved(address, port, true, &resolved, problem);
    if (listener == kNoSocket) {
        return kNoSocket;
    }
    const struct addrinfo &first = *resolved.list;
    shareNoPort(handleOf(listener));
    struct sockaddr_storage bound = {};
    socklen_t boundSize = sizeof bound;
    if (bind(handleOf(listener), first.ai_addr, static_cast<socklen_t>(first.ai_addrlen)) != 0 ||
        listen(handleOf(listener), 64) != 0 ||
        getsockname(handleOf(listener), reinterpret_cast<struct sockaddr *>(&bound), &boundSize) !=
            0) {
        *problem = lastErrorText();
        platCloseSocket(listener);
        return kNoSocket;
    }
    *boundPort = portOf(bound);
    if (beyondLoopback != nullptr) {
        *beyondLoopback = anyBeyondLoopback(resolved.list) ||
                          !isLoopback(reinterpret_cast<const struct sockaddr *>(&bound));
    }
    setNonBlocking(handleOf(listener));
    return listener;
}

// A name may stand for several addresses (IPv6 and IPv4, or several
// hosts) while the server listens on one of them: each is tried in turn
// within the one wait. The reason given is the first address's, the one a
// name of a single address has always given.
PlatSocket platConnect(const std::string &address, uint16_t port, int timeoutMs,
                       std::string *problem) {
    Resolved resolved;
    if (!resolve(address, port, false, &resolved, problem)) {
        return kNoSocket;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (const struct addrinfo *entry = resolved.list; entry != nullptr; entry = entry->ai_next) {
        std::string failure;
        const PlatSocket connection = openSocket(*entry, &failure);
        if (connection != kNoSocket) {
            prepareConnection(handleOf(connection));
            const int waitMs = entry == resolved.list ? timeoutMs : remainingMs(deadline);
            if (connectWithin(handleOf(connection), *entry, waitMs, &failure)) {
                return connection;
            }
            platCloseSocket(connection);
        }
        if (entry == resolved.list) {
            *problem = failure;
        }
    }
    return kNoSocket;
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

bool platSendAll(PlatSocket socket, const void *data, size_t size, int timeoutMs,
                 std::string *problem) {
    const char *bytes = static_cast<const char *>(data);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (size > 0) {
        const long sent = sendSome(handleOf(socket), bytes, size);
        if (sent > 0) {
            bytes += sent;
            size -= static_cast<size_t>(sent);
            continue;
        }
        const Failure failure = sent < 0 ? lastFailure() : Failure::other;
        if (failure == Failure::interrupted) {
            continue;
        }
        if (failure == Failure::wouldBlock) {
            const int ready = waitFor(handleOf(socket), Readiness::writable, remainingMs(deadline));
            if (ready > 0) {
                continue;
            }
            *problem = ready == 0 ? "the peer takes nothing in time" : lastErrorText();
            return false;
        }
        *problem = sent < 0 ? lastErrorText() : "connection closed";
        return false;
    }
    return true;
}

long platReceive(PlatSocket socket, void *data, size_t size, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const long got = receiveSome(handleOf(socket), data, size);
        if (got >= 0) {
            return got;
        }
        const Failure failure = lastFailure();
        if (failure == Failure::interrupted) {
            continue;
        }
        if (failure != Failure::wouldBlock) {
            return kReceiveFailed;
        }
        const int ready = waitFor(handleOf(socket), Readiness::readable, remainingMs(deadline));
        if (ready == 0) {
            return kReceiveTimedOut;
        }
        if (ready < 0) {
            return kReceiveFailed;
        }
    }
}
