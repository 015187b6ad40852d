// The server's connections over loopback: many clients at once lose no
// call, and a connection that sends garbage, an absurd length, nothing at
// all, or never reads its answers is ended alone while the others go on.
#include <gtest/gtest.h>

#include <string.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "call_shapes.h"
#include "local_server.h"
#include "messages.h"
#include "remote_status.h"
#include "server_connection.h"

namespace {

using Clock = std::chrono::steady_clock;

const int kWaitMs = 20000;

// A client of the protocol, as the remote library is one.
class Client {
public:
    explicit Client(const std::string &server) {
        int32_t status = 0;
        std::string problem;
        EXPECT_TRUE(connection_.open(server, "test client", kWaitMs, &status, &problem)) << problem;
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

TEST(ServerConnections, FiftyClientsOfAThousandCallsEachLoseNone) {
    LocalServer server(linkedLibrary());
    std::atomic<int> answered{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < 50; ++i) {
        clients.emplace_back([&] {
            Client client(server.address());
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

TEST(ServerConnections, AnotherProtocolVersionIsRefusedWithAMessage) {
    LocalServer server(linkedLibrary());
    proto::Bytes hello = proto::helloFrame("future client");
    hello[9] = 2; // the version, after the length, the kind and the magic
    PlatSocket socket = rawConnection(server.address());
    std::string problem;
    ASSERT_TRUE(platSendAll(socket, hello.data(), hello.size(), kWaitMs, &problem));
    proto::FrameSource frames(socket);
    proto::Frame frame;
    ASSERT_EQ(frames.next(&frame, kWaitMs, &problem), proto::Arrival::frame) << problem;
    proto::Refusal refusal;
    ASSERT_EQ(frame.kind, proto::MessageKind::refused);
    ASSERT_TRUE(proto::readRefusal(frame.body, &refusal, &problem));
    EXPECT_EQ(refusal.status, proto::kServerRefused);
    EXPECT_NE(refusal.text.find("version 2"), std::string::npos) << refusal.text;
    platCloseSocket(socket);
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
        const proto::Bytes hello = proto::helloFrame("never reads");
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

} // namespace
