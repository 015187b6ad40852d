// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The server's connections over loopback: many clients at once lose no
// call, and a connection that sends garbage, an absurd length, nothing at
// all, or never reads its answers is ended alone while the others go on.
// A server with a token lets in only clients that prove they hold it, and
// proves it holds it in turn. Neither guessing nor a flood keeps a client
// out.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "authentication.h"
#include "call_shapes.h"
#include "connection_loop.h"
#include "connection_source.h"
#include "frame_seal.h"
#include "guess_throttle.h"
#include "local_server.h"
#include "messages.h"
#include "remote_status.h"
#include "server_connection.h"

namespace {

using Clock = std::chrono::steady_clock;

const int kWaitMs = 20000;
const char kToken[] = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";

// A client of the protocol, as the remote library is one.
class Client {
public:
    explicit Client(const std::string &server, const std::string &token = std::string()) {
        int32_t status = 0;
        std::string problem;
        EXPECT_TRUE(connection_.open(server, "test client", token, kWaitMs, &status, &problem))
            << problem;
    }

    int32_t call(const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments) {
        rec::Call call = rec::describeCall(shape, arguments, book_);
        int32_t status = 0;
        std::string problem;
        return connection_.carry(&call, &book_, kWaitMs, &status, &problem) ? call.result : status;
    }

    bool boardNamed(const char *name) {
        KEL_BoardInfo info = {};
        info.size = sizeof info;
        return call(rec::shapes::getInfo, {1u, &info}) == 0 && strcmp(info.name, name) == 0;
    }

private:
    proto::ServerConnection connection_;
    rec::HandleBook book_;
};

int32_t start(Client *client) {
    int32_t count = 0;
    return client->call(rec::shapes::init, {"kel-connections-test-no-such.ini", &count});
}

// A connection that speaks no protocol.
PlatSocket rawConnection(const std::string &server) {
    std::string address;
    uint16_t port = 0;
    std::string problem;
    platSplitAddress(server, &address, &port);
    return platConnect(address, port, kWaitMs, &problem);
}

bool endedByServer(PlatSocket socket, int withinMs) {
    char buffer[256];
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(withinMs);
    while (Clock::now() < deadline) {
        const long got = platReceive(socket, buffer, sizeof buffer, 100);
        if (got == kReceiveClosed || got == kReceiveFailed) {
            return true;
        }
    }
    return false;
}

// The status and reason of a client's refused greeting.
struct Refused {
    int32_t status = 0;
    std::string problem;
};

Refused openWith(const std::string &server, const std::string &token) {
    proto::ServerConnection connection;
    Refused refused;
    EXPECT_FALSE(
        connection.open(server, "test client", token, kWaitMs, &refused.status, &refused.problem));
    return refused;
}

// The next frame on a raw connection, of the kind expected.
proto::Bytes expectFrame(proto::FrameSource *frames, proto::MessageKind kind) {
    proto::Frame frame;
    std::string problem;
    EXPECT_EQ(frames->next(&frame, kWaitMs, &problem), proto::Arrival::frame) << problem;
    EXPECT_EQ(static_cast<int>(frame.kind), static_cast<int>(kind));
    return frame.body;
}

bool sendFrame(PlatSocket socket, const proto::Bytes &frame) {
    std::string problem;
    return platSendAll(socket, frame.data(), frame.size(), kWaitMs, &problem);
}

TEST(ServerConnections, FiftyClientsOfAThousandCallsEachLoseNone) {
    LocalServer server(linkedLibrary(), kToken); // each one authenticated
    std::atomic<int> answered{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < 50; ++i) {
        clients.emplace_back([&] {
            Client client(server.address(), kToken);
            if (start(&client) != 0) {
                return;
            }
            for (int call = 0; call < 1000; ++call) {
                answered += client.boardNamed("SIM-DDS3U") ? 1 : 0;
            }
            client.call(rec::shapes::cleanup, {});
        });
    }
    for (std::thread &client : clients) {
        client.join();
    }
    EXPECT_EQ(answered.load(), 50 * 1000);
}

TEST(ServerConnections, GarbageAndAbsurdLengthsEndOnlyTheirConnection) {
    LocalServer server(linkedLibrary());
    Client good(server.address());
    ASSERT_EQ(start(&good), 0);
    const char garbage[] = "GET / HTTP/1.0\r\n\r\n";
    const uint8_t twoGigabytes[] = {0, 0, 0, 0x80, 3};
    std::string problem;
    PlatSocket first = rawConnection(server.address());
    platSendAll(first, garbage, sizeof garbage - 1, kWaitMs, &problem);
    PlatSocket second = rawConnection(server.address());
    platSendAll(second, twoGigabytes, sizeof twoGigabytes, kWaitMs, &problem);
    EXPECT_TRUE(endedByServer(first, kWaitMs));
    EXPECT_TRUE(endedByServer(second, kWaitMs));
    platCloseSocket(first);
    platCloseSocket(second);
    EXPECT_TRUE(good.boardNamed("SIM-DDS3U"));
    good.call(rec::shapes::cleanup, {});
}

// Guards against a peer of the previous version, whose messages are never
// sealed, being let in on either side or left without a reason.
TEST(ServerConnections, AnotherProtocolVersionIsRefusedWithAMessage) {
    const uint8_t previous = proto::kVersion - 1;
    LocalServer server(linkedLibrary());
    proto::Bytes hello = proto::helloFrame("older client", proto::Bytes(proto::kChallengeBytes));
    hello[9] = previous; // the version, after the length, the kind and the magic
    PlatSocket socket = rawConnection(server.address());
    ASSERT_TRUE(sendFrame(socket, hello));
    proto::FrameSource frames(socket);
    proto::Refusal refusal;
    std::string problem;
    ASSERT_TRUE(
        proto::readRefusal(expectFrame(&frames, proto::MessageKind::refused), &refusal, &problem));
    EXPECT_EQ(refusal.status, proto::kServerRefused);
    EXPECT_EQ(refusal.text, "the server refused protocol version " + std::to_string(previous) +
                                " (this server speaks version " + std::to_string(proto::kVersion) +
                                ")");
    platCloseSocket(socket);

    // An older server's welcome.
    uint16_t port = 0;
    const PlatSocket listener = platListen("127.0.0.1", 0, &port, &problem);
    std::thread olderServer([listener] {
        const PlatSocket client = platAccept(listener, kWaitMs);
        proto::FrameSource clientFrames(client);
        expectFrame(&clientFrames, proto::MessageKind::hello);
        proto::Bytes welcome = proto::welcomeFrame();
        welcome[5] = proto::kVersion - 1; // after the length and the kind
        sendFrame(client, welcome);
        endedByServer(client, kWaitMs); // until the client hangs up
        platCloseSocket(client);
    });
    const Refused refused = openWith("127.0.0.1:" + std::to_string(port), "");
    olderServer.join();
    platCloseSocket(listener);
    EXPECT_EQ(refused.status, proto::kServerRefused);
    EXPECT_EQ(refused.problem,
              "not a board server of protocol version " + std::to_string(proto::kVersion));
}

TEST(ServerConnections, SilentAndNeverReadingClientsAreLetGoWhileOthersGoOn) {
    LocalServer server(linkedLibrary());
    Client good(server.address());
    ASSERT_EQ(start(&good), 0);
    PlatSocket silent = rawConnection(server.address());
    // Calls sent without ever reading an answer, until the server stops
    // taking them.
    std::thread flood([&] {
        rec::HandleBook book;
        KEL_BoardInfo info = {};
        info.size = sizeof info; // each answer brings the whole record back
        proto::Bytes frame;
        proto::callFrame(rec::describeCall(rec::shapes::getInfo, {1u, &info}, book), &frame);
        proto::Bytes many;
        for (int i = 0; i < 4096; ++i) {
            many.insert(many.end(), frame.begin(), frame.end());
        }
        PlatSocket socket = rawConnection(server.address());
        const proto::Bytes hello = proto::helloFrame("never reads", proto::Bytes(32, 1));
        std::string problem;
        bool sending = platSendAll(socket, hello.data(), hello.size(), kWaitMs, &problem);
        for (int round = 0; sending && round < 1000; ++round) {
            sending = platSendAll(socket, many.data(), many.size(), 10000, &problem);
        }
        EXPECT_FALSE(sending) << "the server took every call unanswered";
        platCloseSocket(socket);
    });
    // The good client keeps calling for as long as the others take: left
    // idle past the silence limit it would be let go as well (it sends no
    // keep-alive), which a slow machine made happen.
    std::atomic<bool> others{true};
    std::atomic<int> answered{0};
    std::atomic<int> failed{0};
    std::thread keeper([&] {
        while (others) {
            ++(good.boardNamed("SIM-DDS3U") ? answered : failed);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(endedByServer(silent, proto::kSilenceLimitMs + 3000));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(proto::kSilenceLimitMs + 3000));
    flood.join();
    others = false;
    keeper.join();
    EXPECT_EQ(failed, 0);
    EXPECT_GT(answered, 0);
    EXPECT_TRUE(good.boardNamed("SIM-DDS3U"));
    platCloseSocket(silent);
    good.call(rec::shapes::cleanup, {});
}

TEST(ServerConnections, OnlyAClientWithTheTokenIsLetIn) {
    LocalServer server(linkedLibrary(), kToken);
    Client holder(server.address(), kToken);
    ASSERT_EQ(start(&holder), 0);
    // A wrong token and none at all are told the same, and nothing more.
    for (const std::string &token :
         {std::string("0f1e2d3c4b5a69788796a5b4c3d2e1f1"), std::string()}) {
        const Refused refused = openWith(server.address(), token);
        EXPECT_EQ(refused.status, proto::kServerRefused);
        EXPECT_EQ(refused.problem, proto::kAuthenticationRefused);
    }
    EXPECT_TRUE(holder.boardNamed("SIM-DDS3U"));
    holder.call(rec::shapes::cleanup, {});
}

// Guards against guessing the token at the speed of the network, and
// against the cure locking out the token's holder: wrong proofs from a
// source slow its later proofs (by at most 2 s), every loopback address
// being one source, and the right token is still let in.
TEST(ServerConnections, WrongProofsSlowTheirSourceButNeverLockOutTheToken) {
    // Any local user may pick any loopback address to guess from.
    EXPECT_EQ(connectionSource("127.0.0.1"), connectionSource("127.8.9.10"));
    EXPECT_EQ(connectionSource("127.0.0.1"), connectionSource("::1"));
    EXPECT_EQ(connectionSource("127.0.0.1"), connectionSource("::ffff:127.0.0.2"));
    EXPECT_NE(connectionSource("10.0.0.7"), connectionSource("10.0.0.8"));
    LocalServer server(linkedLibrary(), kToken);
    std::vector<std::thread> guesses;
    for (int i = 0; i < 12; ++i) {
        guesses.emplace_back(
            [&] { openWith(server.address(), "0f1e2d3c4b5a69788796a5b4c3d2e1f1"); });
    }
    for (std::thread &guess : guesses) {
        guess.join();
    }
    const Clock::time_point began = Clock::now();
    Client holder(server.address(), kToken);
    EXPECT_GE(Clock::now() - began, std::chrono::milliseconds(kMaxGuessDelayMs - 100));
    EXPECT_LT(Clock::now() - began, std::chrono::milliseconds(kMaxGuessDelayMs + 2000));
    EXPECT_EQ(start(&holder), 0);
    EXPECT_TRUE(holder.boardNamed("SIM-DDS3U"));
    holder.call(rec::shapes::cleanup, {});
}

// Guards against a flood of connections that never greet keeping a client
// out, with and without a token: they are all from the client's own
// address, and more than every limit on clients.
TEST(ServerConnections, AGreetingClientGetsInBesideAHundredSilentConnections) {
    for (const std::string &token : {std::string(), std::string(kToken)}) {
        LocalServer server(linkedLibrary(), token);
        std::vector<PlatSocket> silent;
        for (size_t i = 0; i < kMaxClients + kMaxUnwelcomed; ++i) {
            silent.push_back(rawConnection(server.address()));
        }
        const Clock::time_point began = Clock::now();
        Client good(server.address(), token);
        EXPECT_EQ(start(&good), 0);
        EXPECT_TRUE(good.boardNamed("SIM-DDS3U"));
        EXPECT_LT(Clock::now() - began, std::chrono::milliseconds(proto::kAuthenticationLimitMs));
        good.call(rec::shapes::cleanup, {});
        for (PlatSocket socket : silent) {
            platCloseSocket(socket);
        }
    }
}

// Guards against a client that holds a token talking to a server that
// cannot prove it holds it (one that asks for nothing).
TEST(ServerConnections, AClientWithATokenWantsTheServersProof) {
    LocalServer server(linkedLibrary());
    const Refused refused = openWith(server.address(), kToken);
    EXPECT_EQ(refused.status, proto::kServerRefused);
    EXPECT_EQ(refused.problem, "the server did not prove that it holds the token");
}

// Guards against an exchange captured on the wire letting anyone in again:
// the same hello and proof on a new connection meet a new challenge.
TEST(ServerConnections, AReplayedAuthenticationIsRefused) {
    LocalServer server(linkedLibrary(), kToken);
    const proto::Bytes clientChallenge(proto::kChallengeBytes, 0x5A);
    const proto::Bytes hello = proto::helloFrame("captured", clientChallenge);
    PlatSocket first = rawConnection(server.address());
    proto::FrameSource firstFrames(first);
    ASSERT_TRUE(sendFrame(first, hello));
    const proto::Bytes challenge = expectFrame(&firstFrames, proto::MessageKind::challenge);
    const proto::Bytes captured =
        proto::proofFrame(proto::clientProof(kToken, challenge, clientChallenge));
    ASSERT_TRUE(sendFrame(first, captured));
    const proto::Bytes welcome = expectFrame(&firstFrames, proto::MessageKind::welcome);
    platCloseSocket(first);

    PlatSocket again = rawConnection(server.address());
    proto::FrameSource frames(again);
    ASSERT_TRUE(sendFrame(again, hello));
    EXPECT_NE(expectFrame(&frames, proto::MessageKind::challenge), challenge);
    ASSERT_TRUE(sendFrame(again, captured));
    proto::Refusal refusal;
    std::string problem;
    ASSERT_TRUE(
        proto::readRefusal(expectFrame(&frames, proto::MessageKind::refused), &refusal, &problem));
    EXPECT_EQ(refusal.text, proto::kAuthenticationRefused);
    EXPECT_TRUE(endedByServer(again, kWaitMs));
    platCloseSocket(again);
}

TEST(ServerConnections, GarbageAroundTheAuthenticationEndsOnlyItsConnection) {
    LocalServer server(linkedLibrary(), kToken);
    Client good(server.address(), kToken);
    ASSERT_EQ(start(&good), 0);
    const proto::Bytes garbage = {'G', 'E', 'T', ' ', '/', '\r', '\n', 0, 0, 0, 0};
    const proto::Bytes clientChallenge(proto::kChallengeBytes, 1);
    const proto::Bytes hello = proto::helloFrame("garbage", clientChallenge);
    // Before the hello; in place of the proof; a proof of the wrong length;
    // after a welcome.
    PlatSocket before = rawConnection(server.address());
    EXPECT_TRUE(sendFrame(before, garbage));
    PlatSocket during = rawConnection(server.address());
    proto::FrameSource duringFrames(during);
    EXPECT_TRUE(sendFrame(during, hello));
    expectFrame(&duringFrames, proto::MessageKind::challenge);
    EXPECT_TRUE(sendFrame(during, garbage));
    PlatSocket shortProof = rawConnection(server.address());
    proto::FrameSource shortFrames(shortProof);
    EXPECT_TRUE(sendFrame(shortProof, hello));
    expectFrame(&shortFrames, proto::MessageKind::challenge);
    EXPECT_TRUE(sendFrame(shortProof, proto::proofFrame(proto::Bytes(5, 0))));
    expectFrame(&shortFrames, proto::MessageKind::refused);
    PlatSocket after = rawConnection(server.address());
    proto::FrameSource afterFrames(after);
    EXPECT_TRUE(sendFrame(after, hello));
    const proto::Bytes challenge = expectFrame(&afterFrames, proto::MessageKind::challenge);
    EXPECT_TRUE(sendFrame(
        after, proto::proofFrame(proto::clientProof(kToken, challenge, clientChallenge))));
    expectFrame(&afterFrames, proto::MessageKind::welcome);
    EXPECT_TRUE(sendFrame(after, garbage));
    for (PlatSocket socket : {before, during, shortProof, after}) {
        EXPECT_TRUE(endedByServer(socket, kWaitMs));
        platCloseSocket(socket);
    }
    EXPECT_TRUE(good.boardNamed("SIM-DDS3U"));
    good.call(rec::shapes::cleanup, {});
}

// A session authenticated by hand, its messages sealed as the remote
// library seals them.
struct SealedSession {
    explicit SealedSession(const std::string &server)
        : socket(rawConnection(server)), frames(socket) {
        const proto::Bytes clientChallenge(proto::kChallengeBytes, 0x3C);
        EXPECT_TRUE(sendFrame(socket, proto::helloFrame("sealed by hand", clientChallenge)));
        const proto::Bytes challenge = expectFrame(&frames, proto::MessageKind::challenge);
        EXPECT_TRUE(sendFrame(
            socket, proto::proofFrame(proto::clientProof(kToken, challenge, clientChallenge))));
        expectFrame(&frames, proto::MessageKind::welcome);
        const proto::SessionKeys keys = proto::sessionKeys(kToken, clientChallenge, challenge);
        seal.reset(new proto::FrameSeal(keys.clientToServer));
        frames.expectSealed(keys.serverToClient);
    }
    ~SealedSession() { platCloseSocket(socket); }

    proto::Bytes sealed(const rec::EntryShape &shape,
                        std::initializer_list<rec::Argument> arguments) {
        rec::HandleBook book;
        proto::Bytes frame;
        proto::Bytes out;
        std::string problem;
        EXPECT_TRUE(proto::callFrame(rec::describeCall(shape, arguments, book), &frame));
        EXPECT_TRUE(seal->seal(frame, &out, &problem)) << problem;
        return out;
    }

    PlatSocket socket;
    proto::FrameSource frames;
    std::unique_ptr<proto::FrameSeal> seal;
};

// Guards against a relay that passed the authentication through owning the
// session: the calls travel unreadable, and a changed or repeated sealed
// call ends the connection unserved.
TEST(ServerConnections, ASealedSessionEndsAtAChangedOrRepeatedCall) {
    LocalServer server(linkedLibrary(), kToken);
    int32_t count = 0;
    const char *const name = "kel-sealed-test-no-such.ini";
    for (const bool repeated : {false, true}) {
        SealedSession session(server.address());
        proto::Bytes call = session.sealed(rec::shapes::init, {name, &count});
        EXPECT_EQ(std::search(call.begin(), call.end(), name, name + strlen(name)), call.end());
        if (!repeated) {
            call[call.size() / 2] ^= 0x20;
        }
        ASSERT_TRUE(sendFrame(session.socket, call));
        if (repeated) {
            expectFrame(&session.frames, proto::MessageKind::result);
            ASSERT_TRUE(sendFrame(session.socket, call));
        }
        EXPECT_TRUE(endedByServer(session.socket, kWaitMs)) << "repeated: " << repeated;
    }
    Client good(server.address(), kToken);
    EXPECT_EQ(start(&good), 0);
    EXPECT_TRUE(good.boardNamed("SIM-DDS3U"));
    good.call(rec::shapes::cleanup, {});
}

// Guards against connections that never authenticate holding the server's
// greeting places for ever.
TEST(ServerConnections, AConnectionThatNeverAuthenticatesIsDropped) {
    LocalServer server(linkedLibrary(), kToken);
    const Clock::time_point began = Clock::now();
    PlatSocket silent = rawConnection(server.address());
    PlatSocket helloOnly = rawConnection(server.address());
    proto::FrameSource frames(helloOnly);
    EXPECT_TRUE(sendFrame(helloOnly, proto::helloFrame("no proof", proto::Bytes(32, 2))));
    expectFrame(&frames, proto::MessageKind::challenge);
    for (PlatSocket socket : {silent, helloOnly}) {
        EXPECT_TRUE(endedByServer(socket, proto::kAuthenticationLimitMs + 3000));
        platCloseSocket(socket);
    }
    EXPECT_LT(Clock::now() - began,
              std::chrono::milliseconds(proto::kAuthenticationLimitMs + 3000));
    Client good(server.address(), kToken);
    EXPECT_EQ(start(&good), 0);
    good.call(rec::shapes::cleanup, {});
}

} // namespace
