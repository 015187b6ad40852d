// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Several clients on one simulated library through the broker: one start,
// handles kept to their client, captures arbitrated by mode across clients
// (waiting up to their timeout), and everything given back when a client
// goes.
#include <gtest/gtest.h>

#include <string.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "board_broker.h"
#include "call_shapes.h"
#include "kel_entry_points.h"
#include "local_server.h"
#include "metrics_writer.h"
#include "remote_status.h"
#include "sensor_reader.h"
#include "server_counters.h"

namespace {

using Clock = std::chrono::steady_clock;

// A client as the server's session plays it: calls described, served, and
// the library's writes copied back into the caller's variables.
class Client {
public:
    explicit Client(BoardBroker *broker) : broker_(broker), number_(broker->arrive()) {}

    int32_t call(
        const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments,
        const std::function<bool()> &gone = [] { return false; }) {
        rec::Call call = rec::describeCall(shape, arguments, book_);
        broker_->serve(number_, &call, gone);
        for (const rec::Value &value : call.arguments) {
            if (value.written) {
                memcpy(value.address, value.after.data(), value.after.size());
            }
        }
        book_.follow(call);
        return call.result;
    }

    // Starts the library (or is answered from its start) and opens board 1.
    int32_t startAndOpen() {
        int32_t count = 0;
        EXPECT_EQ(call(rec::shapes::init, {"kel-broker-test-no-such.ini", &count}), 0);
        EXPECT_EQ(count, 1);
        uint32_t granted = 0;
        return call(rec::shapes::open, {1u, KEL_MODE_SHARED, &granted});
    }

    int32_t capture(int32_t device, uint32_t mode, const char *service, uint32_t timeout,
                    uint32_t *granted = nullptr) {
        uint32_t word = mode;
        const int32_t result = call(rec::shapes::capture, {device, 0u, &word, service, timeout});
        if (granted != nullptr) {
            *granted = word;
        }
        return result;
    }

    std::string depart() { return broker_->depart(number_); }

private:
    BoardBroker *broker_;
    unsigned number_;
    rec::HandleBook book_;
};

class BrokerTest : public ::testing::Test {
protected:
    Client &client() {
        clients_.emplace_back(new Client(&broker_));
        return *clients_.back();
    }
    // Every client goes: the library is shut down for the next test.
    void TearDown() override {
        for (auto &each : clients_) {
            each->depart();
        }
    }

    BoardBroker broker_{linkedLibrary()};
    std::vector<std::unique_ptr<Client>> clients_;
};

TEST_F(BrokerTest, TheLibraryIsStartedOnceAndShutDownByTheLastClient) {
    Client &first = client();
    Client &second = client();
    const int32_t device = first.startAndOpen();
    ASSERT_GT(device, 0);
    // Answered from the first start: the library itself would refuse a second one.
    ASSERT_GT(second.startAndOpen(), 0);
    EXPECT_EQ(second.call(rec::shapes::cleanup, {}), 0);
    uint32_t count = 0;
    EXPECT_EQ(first.call(rec::shapes::puList, {device, nullptr, 0u, &count}), 0);
    EXPECT_EQ(first.call(rec::shapes::cleanup, {}), 0);
    EXPECT_LT(first.call(rec::shapes::puList, {device, nullptr, 0u, &count}), 0);
}

TEST_F(BrokerTest, AnotherClientsHandlesAreNotOpenToIt) {
    Client &holder = client();
    Client &other = client();
    const int32_t device = holder.startAndOpen();
    other.startAndOpen();
    const int32_t service = holder.capture(device, KEL_MODE_SHARED, "SYSMON0", 0);
    ASSERT_GT(service, 0);
    uint8_t record[48] = {};
    EXPECT_EQ(other.call(rec::shapes::ctrl, {service, 0u, 0x900u, record}), proto::kHandleNotOpen);
    EXPECT_EQ(other.call(rec::shapes::release, {service, 0u}), proto::kHandleNotOpen);
    EXPECT_EQ(other.call(rec::shapes::close, {device}), proto::kHandleNotOpen);
    EXPECT_EQ(holder.call(rec::shapes::release, {service, 0u}), 0);
}

TEST_F(BrokerTest, ModesAdmitAcrossClientsAsTheLibraryDoesInOneProcess) {
    Client &a = client();
    Client &b = client();
    Client &c = client();
    const int32_t deviceA = a.startAndOpen();
    const int32_t deviceB = b.startAndOpen();
    const int32_t deviceC = c.startAndOpen();
    ASSERT_GT(a.capture(deviceA, KEL_MODE_SHARED, "BASEFMC0", 0), 0);
    EXPECT_GT(b.capture(deviceB, KEL_MODE_SHARED, "BASEFMC0", 0), 0);
    EXPECT_EQ(c.capture(deviceC, KEL_MODE_EXCLUSIVE, "BASEFMC0", 0),
              static_cast<int32_t>(KELerr_INSUFFICIENT_SERVICES));
    ASSERT_GT(a.capture(deviceA, KEL_MODE_EXCLUSIVE, "BASEDDS0", 0), 0);
    EXPECT_GT(c.capture(deviceC, KEL_MODE_SPY, "BASEDDS0", 0), 0);
    EXPECT_EQ(b.capture(deviceB, KEL_MODE_SHARED, "BASEDDS0", 0),
              static_cast<int32_t>(KELerr_INSUFFICIENT_SERVICES));
}

// The books say who holds what and who waits, while the capture waits.
TEST_F(BrokerTest, ACaptureWaitsForTheHolderToGiveBack) {
    Client &holder = client();
    Client &waiter = client();
    const int32_t deviceA = holder.startAndOpen();
    const int32_t deviceB = waiter.startAndOpen();
    const int32_t held = holder.capture(deviceA, KEL_MODE_EXCLUSIVE, "BASEDDS0", 0);
    ASSERT_GT(held, 0);
    BrokerSnapshot during;
    std::thread giver([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        during = broker_.snapshot();
        holder.call(rec::shapes::release, {held, 0u});
    });
    const Clock::time_point start = Clock::now();
    EXPECT_GT(waiter.capture(deviceB, KEL_MODE_EXCLUSIVE, "BASEDDS0", 10000), 0);
    const auto waited = Clock::now() - start;
    giver.join();
    EXPECT_GE(waited, std::chrono::milliseconds(150));
    EXPECT_LT(waited, std::chrono::seconds(5));
    ASSERT_EQ(during.clients.size(), 2u);
    ASSERT_EQ(during.clients[0].holdings.size(), 1u);
    EXPECT_EQ(during.clients[0].holdings[0].service, "BASEDDS0");
    EXPECT_EQ(during.clients[0].holdings[0].mode, KEL_MODE_EXCLUSIVE);
    EXPECT_TRUE(during.clients[0].waits.empty());
    ASSERT_EQ(during.clients[1].waits.size(), 1u);
    EXPECT_EQ(during.clients[1].waits[0].service, "BASEDDS0");
    EXPECT_EQ(during.clients[1].waits[0].mode, KEL_MODE_EXCLUSIVE);
    EXPECT_LE(during.clients[1].waits[0].since, WallClock::now());
    const BrokerSnapshot after = broker_.snapshot();
    EXPECT_TRUE(after.clients[1].waits.empty());
    EXPECT_EQ(after.clients[1].holdings.size(), 1u);
}

TEST_F(BrokerTest, ACaptureThatTimesOutLeavesTheModeAsTheLibraryWould) {
    Client &holder = client();
    Client &waiter = client();
    const int32_t deviceA = holder.startAndOpen();
    const int32_t deviceB = waiter.startAndOpen();
    ASSERT_GT(holder.capture(deviceA, KEL_MODE_EXCLUSIVE, "BASEDDS0", 0), 0);
    uint32_t mode = 0;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(waiter.capture(deviceB, KEL_MODE_SHARED, "BASEDDS0", 300, &mode),
              static_cast<int32_t>(KELerr_INSUFFICIENT_SERVICES));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(mode, KEL_MODE_SHARED);
}

TEST_F(BrokerTest, AWaitEndsWhenItsClientIsGone) {
    Client &holder = client();
    Client &waiter = client();
    const int32_t deviceA = holder.startAndOpen();
    const int32_t deviceB = waiter.startAndOpen();
    ASSERT_GT(holder.capture(deviceA, KEL_MODE_EXCLUSIVE, "BASEDDS0", 0), 0);
    uint32_t mode = KEL_MODE_EXCLUSIVE;
    const Clock::time_point start = Clock::now();
    EXPECT_LT(waiter.call(rec::shapes::capture, {deviceB, 0u, &mode, "BASEDDS0", 60000u},
                          [] { return true; }),
              0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST_F(BrokerTest, ADepartedClientsCapturesAndDevicesAreGivenBack) {
    Client &holder = client();
    Client &next = client();
    const int32_t deviceA = holder.startAndOpen();
    const int32_t deviceB = next.startAndOpen();
    const int32_t held = holder.capture(deviceA, KEL_MODE_EXCLUSIVE, "BASEDDS0", 0);
    ASSERT_GT(held, 0);
    const std::string given = holder.depart();
    EXPECT_NE(given.find("released BASEDDS0 (" + std::to_string(held) + ")"), std::string::npos)
        << given;
    EXPECT_NE(given.find("closed device " + std::to_string(deviceA)), std::string::npos) << given;
    EXPECT_EQ(given.find("shut the library down"), std::string::npos) << given;
    EXPECT_GT(next.capture(deviceB, KEL_MODE_EXCLUSIVE, "BASEDDS0", 0), 0);
    EXPECT_NE(next.depart().find("shut the library down"), std::string::npos);
    // Shut down: a new start reaches the library again.
    Client &later = client();
    EXPECT_GT(later.startAndOpen(), 0);
}

// Fault guarded: a shutdown by one client's departure left a client that
// had never started the library booked as holding BASEDDS0, so that the
// next exclusive capture after a new start waited its whole timeout and
// failed although the library held nothing.
TEST_F(BrokerTest, TheLibrarysShutdownEmptiesEveryClientsBooks) {
    Client &starter = client();
    Client &neverStarted = client();
    Client &next = client();
    ASSERT_GT(starter.startAndOpen(), 0);
    uint32_t granted = 0;
    const int32_t device = neverStarted.call(rec::shapes::open, {1u, KEL_MODE_SHARED, &granted});
    ASSERT_GT(device, 0);
    ASSERT_GT(neverStarted.capture(device, KEL_MODE_EXCLUSIVE, "BASEDDS0", 0), 0);
    ASSERT_NE(starter.depart().find("shut the library down"), std::string::npos);
    const int32_t fresh = next.startAndOpen();
    ASSERT_GT(fresh, 0);
    EXPECT_GT(next.capture(fresh, KEL_MODE_EXCLUSIVE, "BASEDDS0", 0), 0);
}

// Fault guarded: a client's KEL_init read any file the server could, and
// its status told whether the file existed; a name Windows keeps for a
// device (the console) reached the library too.
TEST_F(BrokerTest, AConfigurationNameOutsideTheServersFolderIsRefusedUnread) {
    Client &prober = client();
    for (const char *name : {"../kel-broker-test.ini", "/kel-broker-test-no-such/kel.ini",
                             "sub/kel.ini", "sub\\kel.ini", "C:kel.ini", "..", "con.ini", "COM1"}) {
        int32_t count = -1;
        EXPECT_EQ(prober.call(rec::shapes::init, {name, &count}), proto::kConfigurationNameRefused)
            << name;
        EXPECT_EQ(count, -1) << name << ": the library was reached";
    }
    EXPECT_GT(prober.startAndOpen(), 0);
}

// The metrics' own reader: the program's start is answered from the
// reader's, its exclusive capture is not kept out by the reader's spy, the
// reader is in no client count nor call counter, and it shuts the library
// down only as the last to use it.
TEST_F(BrokerTest, TheServersSensorReaderKeepsNoProgramOutAndSharesItsStart) {
    SensorReader reader(&broker_);
    ASSERT_EQ(reader.start(), "");
    Client &program = client();
    const int32_t device = program.startAndOpen();
    ASSERT_GT(device, 0);
    uint32_t granted = 0;
    ASSERT_GT(program.capture(device, KEL_MODE_EXCLUSIVE, "SYSMON0", 0, &granted), 0);
    EXPECT_EQ(granted, KEL_MODE_EXCLUSIVE);

    ServerState before;
    serverCounters().addTo(&before);
    std::vector<BoardReadings> boards = reader.read();
    ASSERT_EQ(boards.size(), 1u);
    EXPECT_TRUE(boards[0].temperatureCelsius.has_value());
    EXPECT_EQ(boards[0].readFailures, 0u);
    ServerState state = serverStateOf(broker_.snapshot(), {});
    EXPECT_EQ(state.clients, 1u);
    EXPECT_EQ(state.captures.at("SYSMON0"), (std::array<uint32_t, CAPTURE_MODE_COUNT>{1, 0, 0}));
    EXPECT_EQ(state.calls["KEL_ctrl"], before.calls["KEL_ctrl"]);
    EXPECT_EQ(state.callFailures["KEL_capture"], before.callFailures["KEL_capture"]);

    // The program's shutdown leaves the library to the reader.
    EXPECT_EQ(program.call(rec::shapes::cleanup, {}), 0);
    EXPECT_TRUE(broker_.snapshot().libraryStarted);
    boards = reader.read();
    EXPECT_TRUE(boards[0].temperatureCelsius.has_value());
    reader.stop();
    EXPECT_FALSE(broker_.snapshot().libraryStarted);
}

} // namespace
