// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The status query's answer: what the server writes is read back whole
// (its internal clients left out), a body cut short or padded is refused
// rather than read past, and the JSON stays valid whatever bytes a client
// gave as its name.
#include <gtest/gtest.h>

#include "books_text.h"
#include "kel_api.h"
#include "status_message.h"
#include "status_report.h"

namespace {

ServerStatus sample() {
    ServerStatus status;
    status.started = momentOf(1765350000123);
    status.now = momentOf(1765353725456);
    status.library = "/opt/kel/libKEL.so";
    status.books.libraryStarted = true;
    ClientState monitor;
    monitor.number = 1;
    monitor.identity = {"demo_sensors[4711]", "10.0.0.7"};
    monitor.connected = momentOf(1765350001000);
    monitor.holdings.push_back({"SYSMON0", 1, KEL_MODE_SPY, 257, momentOf(1765350001500)});
    ClientState internal;
    internal.number = 2;
    internal.identity = {"kel_server[1]", "", true};
    ClientState waiter;
    waiter.number = 3;
    waiter.identity = {"odd \"name\\\n\xff", "10.0.0.9"};
    waiter.connected = momentOf(1765353000000);
    waiter.waits.push_back({"BASEDDS0", 1, KEL_MODE_EXCLUSIVE, momentOf(1765353000007)});
    status.books.clients = {monitor, internal, waiter};
    return status;
}

TEST(StatusMessage, ReadBackWholeWithoutInternalClientsAndNothingElse) {
    const ServerStatus written = sample();
    const proto::Bytes body = statusBody(written);
    ServerStatus read;
    std::string problem;
    ASSERT_TRUE(readStatus(body, &read, &problem)) << problem;
    EXPECT_EQ(read.now, written.now);
    EXPECT_EQ(read.started, written.started);
    EXPECT_EQ(read.library, written.library);
    EXPECT_TRUE(read.books.libraryStarted);
    ASSERT_EQ(read.books.clients.size(), 2u);
    const ClientState &monitor = read.books.clients[0];
    EXPECT_EQ(monitor.identity.name, "demo_sensors[4711]");
    ASSERT_EQ(monitor.holdings.size(), 1u);
    EXPECT_EQ(monitor.holdings[0].mode, KEL_MODE_SPY);
    EXPECT_EQ(monitor.holdings[0].handle, 257);
    EXPECT_EQ(monitor.holdings[0].since, written.books.clients[0].holdings[0].since);
    const ClientState &waiter = read.books.clients[1];
    EXPECT_EQ(waiter.number, 3u);
    EXPECT_EQ(waiter.identity.name, written.books.clients[2].identity.name);
    ASSERT_EQ(waiter.waits.size(), 1u);
    EXPECT_EQ(waiter.waits[0].service, "BASEDDS0");
    EXPECT_EQ(waiter.waits[0].since, written.books.clients[2].waits[0].since);
    // A peer's bytes: every cut is refused, so is one byte past the end.
    for (size_t size = 0; size < body.size(); ++size) {
        EXPECT_FALSE(readStatus(proto::Bytes(body.begin(), body.begin() + static_cast<long>(size)),
                                &read, &problem))
            << size;
    }
    proto::Bytes padded = body;
    padded.push_back(0);
    EXPECT_FALSE(readStatus(padded, &read, &problem));
}

TEST(StatusReport, JsonEscapesClientBytesAndTextNamesEveryHoldingAndWait) {
    ServerStatus status = sample();
    status.books.clients.erase(status.books.clients.begin() + 1);
    const std::string json = statusJson(status);
    EXPECT_NE(json.find(R"("name": "odd \"name\\\u000a\u00ff")"), std::string::npos) << json;
    EXPECT_NE(json.find(R"("captures": [{"service": "SYSMON0", "lid": 1, "mode": "spy")"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find(R"("waiting": [{"service": "BASEDDS0", "lid": 1, "mode": "exclusive")"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find(R"("uptime_seconds": 3725)"), std::string::npos) << json;
    const std::string text = statusText(status);
    EXPECT_NE(text.find("server up 1 h 2 min 5 s, since "), std::string::npos) << text;
    EXPECT_NE(text.find("client 3  \"odd \\x22name\\x5c\\x0a\\xff\"  from 10.0.0.9"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("    holds     SYSMON0 on board 0x1 (spy) since "), std::string::npos);
    EXPECT_NE(text.find("    waits for BASEDDS0 on board 0x1 (exclusive) since "),
              std::string::npos);
    EXPECT_NE(text.find(", for 12 min 5 s\n"), std::string::npos) << text;
}

} // namespace
