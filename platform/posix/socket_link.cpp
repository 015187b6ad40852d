// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <errno.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include "../socket_system.h"
#include "stop_wakeup.h"

using namespace socket_system;

namespace socket_system {

int waitFor(int fd, Readiness readiness, int timeoutMs) {
    const short events = readiness == Readiness::readable ? POLLIN : POLLOUT;
    struct pollfd watched = {fd, events, 0};
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int ready = poll(&watched, 1, remainingMs(deadline));
        if (ready >= 0 || errno != EINTR) {
            return ready;
        }
    }
}

long sendSome(int fd, const char *bytes, size_t size) {
    return static_cast<long>(send(fd, bytes, size, MSG_NOSIGNAL));
}

long receiveSome(int fd, void *data, size_t size) {
    return static_cast<long>(recv(fd, data, size, 0));
}

Failure lastFailure() {
    return errno == EINTR                            ? Failure::interrupted
           : errno == EAGAIN || errno == EWOULDBLOCK ? Failure::wouldBlock
                                                     : Failure::other;
}

PlatSocket openSocket(const struct addrinfo &address, std::string *problem) {
    const int fd =
        socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC, address.ai_protocol);
    if (fd < 0) {
        *problem = strerror(errno);
        return kNoSocket;
    }
    return fd;
}

std::string lastErrorText() { return strerror(errno); }

std::string resolveErrorText(int error) { return gai_strerror(error); }

void shareNoPort(int listener) {
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

void setNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

void prepareConnection(int fd) {
    setNonBlocking(fd);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool connectWithin(int fd, const struct addrinfo &address, int timeoutMs, std::string *problem) {
    if (connect(fd, address.ai_addr, address.ai_addrlen) == 0) {
        return true;
    }
    if (errno != EINPROGRESS) {
        *problem = strerror(errno);
        return false;
    }
    const int ready = waitFor(fd, Readiness::writable, timeoutMs);
    int error = 0;
    socklen_t size = sizeof error;
    if (ready <= 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
        *problem = ready == 0 ? "no answer in time" : strerror(ready < 0 ? errno : error);
        return false;
    }
    return true;
}

} // namespace socket_system

bool platSocketsStart(std::string *) { return true; }

void platIgnoreBrokenPipes(void) { signal(SIGPIPE, SIG_IGN); }

PlatSocket platAccept(PlatSocket listener, int timeoutMs) {
    struct pollfd watched[2] = {{handleOf(listener), POLLIN, 0},
                                {stopWakeupDescriptor(), POLLIN, 0}};
    const nfds_t count = watched[1].fd >= 0 ? 2 : 1;
    if (poll(watched, count, timeoutMs) <= 0 || (watched[0].revents & POLLIN) == 0) {
        return kNoSocket;
    }
    const int fd = accept(handleOf(listener), nullptr, nullptr);
    if (fd < 0) {
        return kNoSocket;
    }
    prepareConnection(fd);
    return fd;
}

bool platPeerGone(PlatSocket socket) {
    char byte;
    const ssize_t got = recv(handleOf(socket), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

void platShutdownSocket(PlatSocket socket) { shutdown(handleOf(socket), SHUT_RDWR); }

void platCloseSocket(PlatSocket socket) {
    if (socket != kNoSocket) {
        close(handleOf(socket));
    }
}
