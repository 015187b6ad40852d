// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "held_session.h"
#include "kel_sysmon.h"
#include "remote_status.h"

namespace {

// One call through the session as the remote library makes it: sent with
// the server's handle, answered with serverResult. The number the server
// saw, or -1 when the call never reached it.
int64_t call(remote::HeldSession *session, const rec::EntryShape &shape,
             std::initializer_list<rec::Argument> arguments, int32_t serverResult,
             int32_t *programResult = nullptr) {
    rec::Call described = rec::describeCall(shape, arguments, session->book());
    const uint32_t programHandle = described.arguments.empty() ? 0 : described.arguments[0].number;
    if (!session->toServer(shape, &described)) {
        return -1;
    }
    const int64_t sent = described.arguments.empty() ? 0 : described.arguments[0].number;
    described.result = serverResult;
    session->follow(shape, &described, programHandle);
    if (programResult != nullptr) {
        *programResult = described.result;
    }
    return sent;
}

TEST(HeldSession, KeepsTheProgramsHandlesAcrossAResume) {
    remote::HeldSession session;
    uint32_t granted = 0;
    int32_t count = 0;
    int32_t handle = 0;
    uint32_t mode = KEL_MODE_SHARED;
    call(&session, rec::shapes::init, {"kel.ini", &count}, 0);
    call(&session, rec::shapes::open, {1u, 1u, &granted}, 1, &handle);
    call(&session, rec::shapes::capture, {1, 0u, &mode, "SYSMON0", 10000u}, 257, &handle);
    call(&session, rec::shapes::capture, {1, 0u, &mode, "BASEDDS0", 10000u}, 258, &handle);
    // Until a resume every handle is the server's.
    EXPECT_EQ(handle, 258);
    EXPECT_EQ(call(&session, rec::shapes::release, {99, 0u}, proto::kHandleNotOpen), 99);
    ASSERT_TRUE(session.started());
    EXPECT_STREQ(session.configuration(), "kel.ini");
    ASSERT_EQ(session.captures().size(), 2u);
    EXPECT_EQ(session.captures().at(257).mode, KEL_MODE_SHARED);

    // The restarted server numbers them otherwise, and BASEDDS0 is another's.
    session.rehandleDevice(1, 4);
    session.rehandleCapture(257, 300);
    session.loseCapture(258);
    SensorReading sensor = {};
    EXPECT_EQ(call(&session, rec::shapes::ctrl, {257, 0u, KELctrl_SYSMON_GETTEMP, &sensor}, 0),
              300);
    EXPECT_EQ(call(&session, rec::shapes::ctrl, {258, 0u, KELctrl_SYSMON_GETTEMP, &sensor}, 0), -1)
        << "a lost handle reached the server";
    EXPECT_EQ(call(&session, rec::shapes::release, {300, 0u}, 0), -1)
        << "a handle the program never had reached its SYSMON0";
    // A new capture that the server numbers as one the program holds gets
    // a number of its own.
    call(&session, rec::shapes::capture, {1, 0u, &mode, "BASEFMC0", 10000u}, 257, &handle);
    EXPECT_NE(handle, 257);
    EXPECT_NE(handle, 258);
    EXPECT_EQ(call(&session, rec::shapes::release, {handle, 0u}, 0), 257);
    EXPECT_EQ(call(&session, rec::shapes::close, {1}, 0), 4);
    EXPECT_TRUE(session.devices().empty());
    EXPECT_TRUE(session.captures().empty()) << "a closed device's captures are still held";
    call(&session, rec::shapes::cleanup, {}, 0);
    EXPECT_FALSE(session.started());
}

} // namespace
