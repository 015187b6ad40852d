// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The protocol's reader over bytes from a peer: whole frames only, nothing
// read or allocated past what was received, and a call whose buffers are
// not exactly the sizes the call's own numbers give is refused (the server
// would hand the library a buffer shorter than it writes).
#include <gtest/gtest.h>

#include <string.h>

#include "call_shapes.h"
#include "kel_api.h"
#include "kel_control_records.h"
#include "messages.h"

namespace {

proto::Bytes frameOf(const rec::Call &call) {
    proto::Bytes frame;
    EXPECT_TRUE(proto::callFrame(call, &frame));
    return frame;
}

// The call as the server reads it back from its frame.
bool readBack(const proto::Bytes &frame, const rec::HandleBook &book, rec::Call *call,
              std::string *problem) {
    proto::Frame read;
    size_t used = 0;
    if (proto::readFrame(frame.data(), frame.size(), &read, &used, problem) !=
        proto::ReadStatus::complete) {
        return false;
    }
    EXPECT_EQ(used, frame.size());
    EXPECT_EQ(read.kind, proto::MessageKind::call);
    return proto::readCall(read.body, book, call, problem);
}

TEST(ProtocolReader, FramesAreTakenWholeOnly) {
    const proto::Bytes hello =
        proto::helloFrame("demo_sgen[42]", proto::Bytes(proto::kChallengeBytes, 7));
    const proto::Bytes ping = proto::pingFrame();
    proto::Bytes both = hello;
    both.insert(both.end(), ping.begin(), ping.end());
    proto::Frame frame;
    std::string problem;
    size_t used = 0;
    for (size_t size = 0; size < hello.size(); ++size) {
        EXPECT_EQ(proto::readFrame(both.data(), size, &frame, &used, &problem),
                  proto::ReadStatus::incomplete)
            << size;
    }
    ASSERT_EQ(proto::readFrame(both.data(), both.size(), &frame, &used, &problem),
              proto::ReadStatus::complete);
    ASSERT_EQ(used, hello.size());
    proto::Hello greeting;
    ASSERT_TRUE(proto::readHello(frame.body, &greeting, &problem));
    EXPECT_EQ(greeting.version, proto::kVersion);
    EXPECT_EQ(greeting.flags, 0);
    EXPECT_EQ(greeting.clientName, "demo_sgen[42]");
    ASSERT_EQ(proto::readFrame(both.data() + used, both.size() - used, &frame, &used, &problem),
              proto::ReadStatus::complete);
    EXPECT_EQ(frame.kind, proto::MessageKind::ping);
}

TEST(ProtocolReader, LengthsAndKindsNoPeerSendsAreRefused) {
    proto::Frame frame;
    std::string problem;
    size_t used = 0;
    const uint8_t empty[] = {0, 0, 0, 0, 6};
    const uint8_t twoGigabytes[] = {0, 0, 0, 0x80, 3};
    const uint8_t unknownKind[] = {1, 0, 0, 0, 99};
    const uint8_t noKind[] = {1, 0, 0, 0, 0};
    for (const auto *bytes : {empty, twoGigabytes, unknownKind, noKind}) {
        EXPECT_EQ(proto::readFrame(bytes, 5, &frame, &used, &problem), proto::ReadStatus::bad);
    }
    // A length alone is refused at once when absurd, else waits for the kind
    // (found by the fuzz target: the kind was read past the bytes received).
    EXPECT_EQ(proto::readFrame(twoGigabytes, 4, &frame, &used, &problem), proto::ReadStatus::bad);
    EXPECT_EQ(proto::readFrame(unknownKind, 4, &frame, &used, &problem),
              proto::ReadStatus::incomplete);
    const proto::Bytes hello = proto::helloFrame("x", proto::Bytes(proto::kChallengeBytes, 7));
    proto::Bytes badMagic(hello.begin() + 5, hello.end());
    badMagic[0] = 'X';
    proto::Hello greeting;
    EXPECT_FALSE(proto::readHello(badMagic, &greeting, &problem));
}

TEST(ProtocolReader, CallsTravelWithEveryArgumentAndBuffer) {
    rec::HandleBook book;
    KEL_BoardInfo info;
    memset(&info, 0xA5, sizeof info); // the caller's bytes travel, not only the size
    info.size = sizeof info;
    const rec::Call sent = rec::describeCall(rec::shapes::getInfo, {7u, &info}, book);
    rec::Call got;
    std::string problem;
    ASSERT_TRUE(readBack(frameOf(sent), book, &got, &problem)) << problem;
    ASSERT_EQ(got.arguments.size(), 2u);
    EXPECT_EQ(got.entry, "KEL_getInfo");
    EXPECT_EQ(got.arguments[0].number, 7u);
    EXPECT_EQ(got.arguments[1].before, sent.arguments[1].before);

    // A text whole to its limit, a null pointer kept null, a list of no
    // entries kept a pointer.
    uint32_t mode = KEL_MODE_SHARED;
    const char name[] = "BASEDDS0";
    const rec::Call capture =
        rec::describeCall(rec::shapes::capture, {3, 0u, &mode, name, 10000u}, book);
    ASSERT_TRUE(readBack(frameOf(capture), book, &got, &problem)) << problem;
    EXPECT_EQ(got.arguments[3].text, "BASEDDS0");
    EXPECT_EQ(got.arguments[4].number, 10000u);
    uint32_t count = 9;
    KEL_PuEntry none[1];
    const rec::Call list = rec::describeCall(rec::shapes::puList, {1, none, 0u, &count}, book);
    ASSERT_TRUE(readBack(frameOf(list), book, &got, &problem)) << problem;
    EXPECT_EQ(got.arguments[1].kind, rec::ValueKind::pointer);
    const rec::Call init = rec::describeCall(rec::shapes::init, {"kel.ini", nullptr}, book);
    ASSERT_TRUE(readBack(frameOf(init), book, &got, &problem)) << problem;
    EXPECT_EQ(got.arguments[1].kind, rec::ValueKind::null);
}

TEST(ProtocolReader, BuffersOfOtherSizesThanTheCallsNumbersAreRefused) {
    rec::HandleBook book;
    uint32_t lids[1] = {};
    uint32_t count = 0;
    rec::Call call = rec::describeCall(rec::shapes::lidList, {lids, 1u, &count}, book);
    call.arguments[1].number = 100; // the library would write 400 bytes into 4
    rec::Call got;
    std::string problem;
    EXPECT_FALSE(readBack(frameOf(call), book, &got, &problem));
    EXPECT_NE(problem.find("lids"), std::string::npos) << problem;

    // A capacity past the largest buffer carried, sent with no bytes.
    call = rec::describeCall(rec::shapes::lidList, {lids, 0u, &count}, book);
    call.arguments[1].number = 0x40000000;
    EXPECT_FALSE(readBack(frameOf(call), book, &got, &problem));

    // A control record on a service the server never saw captured.
    uint8_t record[48] = {};
    call = rec::describeCall(rec::shapes::ctrl, {257, 0u, 0x900u, record}, book);
    call.arguments[3].kind = rec::ValueKind::bytes;
    call.arguments[3].before.assign(record, record + sizeof record);
    EXPECT_FALSE(readBack(frameOf(call), book, &got, &problem));
}

TEST(ProtocolReader, CutOrOverlongCallsAreRefused) {
    rec::HandleBook book;
    const rec::Call close = rec::describeCall(rec::shapes::close, {1}, book);
    const proto::Bytes frame = frameOf(close);
    const proto::Bytes body(frame.begin() + 5, frame.end());
    rec::Call got;
    std::string problem;
    for (size_t size = 0; size < body.size(); ++size) {
        EXPECT_FALSE(
            proto::readCall(proto::Bytes(body.begin(), body.begin() + static_cast<long>(size)),
                            book, &got, &problem));
    }
    proto::Bytes longer = body;
    longer.push_back(0);
    EXPECT_FALSE(proto::readCall(longer, book, &got, &problem));
    proto::Bytes noEntry = body;
    noEntry[0] = 13;
    EXPECT_FALSE(proto::readCall(noEntry, book, &got, &problem));
    // A service name longer than a service name may be.
    uint32_t mode = 0;
    rec::Call capture =
        rec::describeCall(rec::shapes::capture, {1, 0u, &mode, "SYSMON0", 0u}, book);
    capture.arguments[3].text = std::string(KEL_SERVICE_NAME_SIZE + 1, 'A');
    EXPECT_FALSE(readBack(frameOf(capture), book, &got, &problem));
}

TEST(ProtocolReader, ResultsBringBackWhatTheCallWrote) {
    rec::HandleBook book;
    uint32_t count = 0;
    uint32_t lids[2] = {};
    rec::Call call = rec::describeCall(rec::shapes::lidList, {lids, 2u, &count}, book);
    rec::Call served = call;
    served.result = 0;
    served.arguments[0].written = true;
    served.arguments[0].after = {1, 0, 0, 0, 2, 0, 0, 0};
    const proto::Bytes frame = proto::resultFrame(served);
    const proto::Bytes body(frame.begin() + 5, frame.end());
    std::string problem;
    ASSERT_TRUE(proto::readResult(body, &call, &problem)) << problem;
    EXPECT_TRUE(call.arguments[0].written);
    EXPECT_EQ(call.arguments[0].after, served.arguments[0].after);
    EXPECT_FALSE(call.arguments[2].written);
    EXPECT_FALSE(proto::readResult(proto::Bytes(body.begin(), body.end() - 1), &call, &problem));
}

} // namespace
