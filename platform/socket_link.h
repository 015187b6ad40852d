// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Stream sockets for the board server and the remote board library: every
// wait has a timeout in milliseconds, nothing raises a signal, and a peer
// that went away reads as the end of the stream. The address is a host
// name or numeric address and a port.
#ifndef PLATFORM_SOCKET_LINK_H
#define PLATFORM_SOCKET_LINK_H

#include <stddef.h>
#include <stdint.h>

#include <string>

typedef intptr_t PlatSocket;
const PlatSocket kNoSocket = -1;

// Once per process before any other call; false (with the reason) when the
// system's sockets cannot be used.
bool platSocketsStart(std::string *problem);

// Writing to a closed socket or pipe fails with an error instead of ending
// the process with a signal.
void platIgnoreBrokenPipes(void);

// A listening socket bound to address and port (0: the system chooses);
// *boundPort is the port it got. kNoSocket with the reason on failure.
// *beyondLoopback (when given) says whether any address the name resolves
// to, or the one bound, is one that other hosts may reach.
PlatSocket platListen(const std::string &address, uint16_t port, uint16_t *boundPort,
                      std::string *problem, bool *beyondLoopback = nullptr);

// The next connection, waiting up to timeoutMs; kNoSocket when none came,
// or at once when a stop request arrived (see stop_request.h).
PlatSocket platAccept(PlatSocket listener, int timeoutMs);

// A connection to address and port within timeoutMs; kNoSocket with the
// reason on failure.
PlatSocket platConnect(const std::string &address, uint16_t port, int timeoutMs,
                       std::string *problem);

// Sends every byte within timeoutMs; false with the reason when the peer is
// gone, the connection failed or the time ran out.
bool platSendAll(PlatSocket socket, const void *data, size_t size, int timeoutMs,
                 std::string *problem);

// What a receive gave when it gave no bytes.
const long kReceiveClosed = 0;    // the peer ended the stream
const long kReceiveFailed = -1;   // the connection failed
const long kReceiveTimedOut = -2; // nothing came within the time

// Receives up to size bytes, waiting up to timeoutMs for the first: the
// number of bytes, or one of the values above.
long platReceive(PlatSocket socket, void *data, size_t size, int timeoutMs);

// True when the peer has ended the stream or the connection failed, without
// taking any bytes that wait to be read.
bool platPeerGone(PlatSocket socket);

// Wakes every wait on the socket (they see the end of the stream); the
// socket stays to be closed.
void platShutdownSocket(PlatSocket socket);

void platCloseSocket(PlatSocket socket);

// The numeric address of the connection's peer, for a server's log; "an
// unknown address" when the system does not say.
std::string platPeerAddress(PlatSocket socket);

// Whether a numeric address as the system holds it (4 bytes of IPv4 or 16
// of IPv6, in network order) is one only this host reaches: 127.0.0.0/8,
// ::1, or 127.0.0.0/8 mapped into IPv6. Any other size is not.
bool platIsLoopbackAddress(const uint8_t *bytes, size_t size);

// Splits "ADDRESS:PORT" at its last colon; false when there is no port in
// 0..65535 or no address.
bool platSplitAddress(const std::string &text, std::string *address, uint16_t *port);

#endif
