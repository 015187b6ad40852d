// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../socket_link.h"

#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "stop_wakeup.h"

namespace {

using Clock = std::chrono::steady_clock;

int descriptor(PlatSocket socket) { return static_cast<int>(socket); }

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for the events on the descriptor: >0 ready, 0 timed out, <0 failed.
int waitFor(int fd, short events, int timeoutMs) {
    struct pollfd watched = {fd, events, 0};
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int ready = poll(&watched, 1, remainingMs(deadline));
        if (ready >= 0 || errno != EINTR) {
            return ready;
        }
    }
}

void prepare(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
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
        *problem = std::string("cannot resolve the address: ") + gai_strerror(failed);
        return false;
    }
    return true;
}

} // namespace

bool platSocketsStart(std::string *) { return true; }

void platIgnoreBrokenPipes(void) { signal(SIGPIPE, SIG_IGN); }

PlatSocket platListen(const std::string &address, uint16_t port, uint16_t *boundPort,
                      std::string *problem) {
    Resolved resolved;
    if (!resolve(address, port, true, &resolved, problem)) {
        return kNoSocket;
    }
    const struct addrinfo *first = resolved.list;
    const int fd = socket(first->ai_family, first->ai_socktype | SOCK_CLOEXEC, first->ai_protocol);
    if (fd < 0) {
        *problem = strerror(errno);
        return kNoSocket;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    struct sockaddr_storage bound = {};
    socklen_t boundSize = sizeof bound;
    if (bind(fd, first->ai_addr, first->ai_addrlen) != 0 || listen(fd, 64) != 0 ||
        getsockname(fd, reinterpret_cast<struct sockaddr *>(&bound), &boundSize) != 0) {
        *problem = strerror(errno);
        close(fd);
        return kNoSocket;
    }
    *boundPort = ntohs(bound.ss_family == AF_INET6
                           ? reinterpret_cast<struct sockaddr_in6 *>(&bound)->sin6_port
                           : reinterpret_cast<struct sockaddr_in *>(&bound)->sin_port);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

PlatSocket platAccept(PlatSocket listener, int timeoutMs) {
    struct pollfd watched[2] = {{descriptor(listener), POLLIN, 0},
                                {stopWakeupDescriptor(), POLLIN, 0}};
    const nfds_t count = watched[1].fd >= 0 ? 2 : 1;
    if (poll(watched, count, timeoutMs) <= 0 || (watched[0].revents & POLLIN) == 0) {
        return kNoSocket;
    }
    const int fd = accept(descriptor(listener), nullptr, nullptr);
    if (fd < 0) {
        return kNoSocket;
    }
    prepare(fd);
    return fd;
}

PlatSocket platConnect(const std::string &address, uint16_t port, int timeoutMs,
                       std::string *problem) {
    Resolved resolved;
    if (!resolve(address, port, false, &resolved, problem)) {
        return kNoSocket;
    }
    const struct addrinfo *first = resolved.list;
    const int fd = socket(first->ai_family, first->ai_socktype | SOCK_CLOEXEC, first->ai_protocol);
    if (fd < 0) {
        *problem = strerror(errno);
        return kNoSocket;
    }
    prepare(fd);
    if (connect(fd, first->ai_addr, first->ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            *problem = strerror(errno);
            close(fd);
            return kNoSocket;
        }
        const int ready = waitFor(fd, POLLOUT, timeoutMs);
        int error = 0;
        socklen_t size = sizeof error;
        if (ready <= 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            *problem = ready == 0 ? "no answer in time" : strerror(ready < 0 ? errno : error);
            close(fd);
            return kNoSocket;
        }
    }
    return fd;
}

bool platSendAll(PlatSocket socket, const void *data, size_t size, int timeoutMs,
                 std::string *problem) {
    const char *bytes = static_cast<const char *>(data);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (size > 0) {
        const ssize_t sent = send(descriptor(socket), bytes, size, MSG_NOSIGNAL);
        if (sent > 0) {
            bytes += sent;
            size -= static_cast<size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int ready = waitFor(descriptor(socket), POLLOUT, remainingMs(deadline));
            if (ready > 0) {
                continue;
            }
            *problem = ready == 0 ? "the peer takes nothing in time" : strerror(errno);
            return false;
        }
        *problem = sent < 0 ? strerror(errno) : "connection closed";
        return false;
    }
    return true;
}

long platReceive(PlatSocket socket, void *data, size_t size, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const ssize_t got = recv(descriptor(socket), data, size, 0);
        if (got >= 0) {
            return static_cast<long>(got);
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return kReceiveFailed;
        }
        const int ready = waitFor(descriptor(socket), POLLIN, remainingMs(deadline));
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
    const ssize_t got = recv(descriptor(socket), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

void platShutdownSocket(PlatSocket socket) { shutdown(descriptor(socket), SHUT_RDWR); }

void platCloseSocket(PlatSocket socket) {
    if (socket != kNoSocket) {
        close(descriptor(socket));
    }
}

std::string platPeerAddress(PlatSocket socket) {
    struct sockaddr_storage peer;
    socklen_t size = sizeof peer;
    char host[NI_MAXHOST];
    if (getpeername(descriptor(socket), reinterpret_cast<struct sockaddr *>(&peer), &size) != 0 ||
        getnameinfo(reinterpret_cast<struct sockaddr *>(&peer), size, host, sizeof host, nullptr, 0,
                    NI_NUMERICHOST) != 0) {
        return "an unknown address";
    }
    return host;
}
