// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The recording format: a session written call by call reads back as the
// same calls and writes; a damaged file is refused at the line where it goes
// wrong; the first call that differs is reported in both forms.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "call_shapes.h"
#include "divergence_report.h"
#include "kel_api.h"
#include "kel_basedds.h"
#include "kel_basefmc.h"
#include "kel_status.h"
#include "kel_sysmon.h"
#include "recording_text.h"

namespace {

// Describes, "runs" (by writing `wrote` over the buffers) and numbers a call.
template <typename Write>
rec::Call finished(rec::HandleBook *book, unsigned number, const rec::EntryShape &shape,
                   std::initializer_list<rec::Argument> arguments, int32_t result, Write wrote) {
    rec::Call call = rec::describeCall(shape, arguments, *book);
    wrote();
    call.result = result;
    call.number = number;
    rec::noteWrites(&call);
    book->follow(call);
    return call;
}

TEST(RecordingFormat, SessionReadsBackAsTheSameCallsAndWrites) {
    rec::HandleBook book;
    uint32_t lids[2] = {0, 0};
    uint32_t count = 0;
    uint32_t mode = KEL_MODE_EXCLUSIVE;
    DdsOutFreq frequency = {1e8, 1, 1};
    std::string text = rec::recordingHeader() + "# a comment\n\n";
    text +=
        rec::callText(finished(&book, 1, rec::shapes::init, {"kel \"x\".ini", nullptr}, 0, [] {}));
    text += rec::callText(finished(&book, 2, rec::shapes::lidList, {lids, 2u, &count}, 0, [&] {
        lids[0] = 7;
        count = 1;
    }));
    text +=
        rec::callText(finished(&book, 3, rec::shapes::capture, {1, 0u, &mode, "BASEDDS0", 10000u},
                               257, [&] { mode = KEL_MODE_SPY; }));
    text += rec::callText(finished(&book, 4, rec::shapes::ctrl,
                                   {257, 0u, KELctrl_DDS_SETOUTFREQ, &frequency},
                                   static_cast<int32_t>(KELerr_BAD_MODE), [] {}));
    EXPECT_NE(text.find("call 4 KEL_ctrl\n  service 257\n  reserved 0\n  code 0x1804\n"
                        "  record in 00000000 84d79741 01000000 01000000\n  = 0xc000010a\n"),
              std::string::npos)
        << text;

    std::vector<rec::Call> calls;
    std::string error;
    ASSERT_TRUE(rec::parseRecording(text, &calls, &error)) << error;
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].arguments[0].text, "kel \"x\".ini");
    EXPECT_EQ(calls[3].result, static_cast<int32_t>(KELerr_BAD_MODE));
    EXPECT_EQ(calls[3].line, 23);

    // Replayed into fresh buffers, the list call writes what the library wrote.
    rec::HandleBook replayBook;
    uint32_t freshLids[2] = {0, 0};
    uint32_t freshCount = 0;
    const rec::Call live =
        rec::describeCall(rec::shapes::lidList, {freshLids, 2u, &freshCount}, replayBook);
    ASSERT_TRUE(rec::sameCall(live, calls[1]));
    rec::replayWrites(calls[1], live);
    EXPECT_EQ(freshLids[0], 7u);
    EXPECT_EQ(freshCount, 1u);
    // The recorded capture tells the replay how large that service's records are.
    replayBook.follow(calls[2]);
    EXPECT_EQ(replayBook.recordSize(257, KELctrl_DDS_SETOUTFREQ), sizeof(DdsOutFreq));
}

TEST(RecordingFormat, DamagedRecordingsAreRefusedWithTheirLine) {
    const std::string head = "KEL recording 2\n";
    const std::string lidList = "call 1 KEL_lidList\n  lids out-only\n  capacity 1\n"
                                "  count out-only\n";
    const struct {
        std::string text;
        const char *error;
    } cases[] = {
        {"", "line 1: not a board library recording"},
        {"KEL recording 1\n", "line 1: recording version \"1\"; this library reads version 2"},
        {head + lidList, "line 5: the recording ends inside call 1: it is truncated"},
        {head + lidList + "call 2 KEL_cleanup\n", "line 6: call 1 has no result line"},
        {head + "call 1 KEL_close\n  device 1x\n  = 0\n", "line 3: \"1x\" is not a 32-bit number"},
        {head + "call 1 KEL_close\n  device 4294967296\n  = 0\n", "line 3: \"4294967296\" is not"},
        {head + "call 2 KEL_cleanup\n  = 0\n", "line 2: call \"2\" where call 1 comes next"},
        {head + "call 1 KEL_reboot\n", "line 2: unknown entry point \"KEL_reboot\""},
        {head + "call 1 KEL_close\n  = 0\n", "line 3: the result comes before argument 'device'"},
        {head + "call 1 KEL_getInfo\n  lid 1\n  info in 0000000g\n",
         "line 4: bad hexadecimal bytes"},
        {head + "call 1 KEL_getInfo\n  lid 1\n  info in 000000\n  = 0\n",
         "line 4: 'info' holds 3 bytes where the call passes 280"},
        // A write-only buffer never holds what the caller left in it.
        {head + "call 1 KEL_lidList\n  lids in 00000000\n",
         "line 3: 'lids' is null, ptr or out-only: the library only writes it"},
        {head + lidList + "  = 0\n  lids out 01000000 00\n",
         "line 7: 'lids' wrote 5 bytes into a buffer of 4"},
        {head + "call 1 KEL_lidList\n  lids out-only\n  capacity 0\n  count null\n  = 0\n",
         "line 3: 'lids' is ptr: the call passes no bytes"},
        {head + "call 1 KEL_init\n  configFile \"a\\x00\"\n", "line 3: a text ends at its NUL"},
        {head +
             "call 1 KEL_ctrl\n  service 5\n  reserved 0\n  code 0x1804\n  record in 00\n  = 0\n",
         "line 6: 'record' holds 1 bytes where the call passes 0"},
    };
    for (const auto &damaged : cases) {
        std::vector<rec::Call> calls;
        std::string error;
        EXPECT_FALSE(rec::parseRecording(damaged.text, &calls, &error)) << damaged.text;
        EXPECT_EQ(error.compare(0, strlen(damaged.error), damaged.error), 0)
            << damaged.text << "\ngave: " << error;
        EXPECT_TRUE(calls.empty());
    }
}

TEST(DivergenceReport, ShowsTheCallNumberAndBothForms) {
    rec::HandleBook book;
    std::vector<rec::Call> calls;
    std::string error;
    ASSERT_TRUE(rec::parseRecording("KEL recording 2\ncall 1 KEL_getInfo\n  lid 3\n  info null\n"
                                    "  = 0x0\n",
                                    &calls, &error))
        << error;
    rec::Call live = rec::describeCall(rec::shapes::getInfo, {4u, nullptr}, book);
    live.number = 1;
    EXPECT_FALSE(rec::sameCall(live, calls[0]));
    EXPECT_EQ(rec::divergenceReport("s.kelrec", live, &calls[0], 1),
              "KEL replay: call 1 differs from the recording (s.kelrec, line 2)\n"
              "  recorded: KEL_getInfo(lid 3, info null)\n"
              "  called:   KEL_getInfo(lid 4, info null)\n"
              "  first difference: 'lid': recorded 3, called 4\n");
    live = rec::describeCall(rec::shapes::close, {-2}, book);
    live.number = 2;
    EXPECT_EQ(rec::divergenceReport("s.kelrec", live, nullptr, 1),
              "KEL replay: call 2 is beyond the end of the recording s.kelrec (1 calls)\n"
              "  called:   KEL_close(device -2)\n");
}

// Fault guarded: the bytes a caller left in a buffer the library only
// writes (heap garbage: pointers, pieces of other strings) went into the
// recording, so two recordings of one run differed.
TEST(RecordingFormat, WriteOnlyBuffersKeepOnlyWhatTheLibraryFilled) {
    rec::HandleBook book;
    KEL_PuEntry units[3];
    memset(units, 0xA5, sizeof units);
    uint32_t count = 0xA5A5A5A5u;
    const rec::Call filled =
        finished(&book, 1, rec::shapes::puList, {1, units, 3u, &count}, 0, [&] {
            memset(&units[0], 0, sizeof units[0]);
            units[0].id = 0x100;
            count = 1;
        });
    const std::string text = rec::callText(filled);
    EXPECT_EQ(text.find("a5"), std::string::npos) << text;
    EXPECT_NE(text.find("  list out-only\n  capacity 3\n  count out-only\n  = 0x0\n"
                        "  list out 00010000 00000000"),
              std::string::npos)
        << text;
    // A library may fill a list under a failing status, and a program may
    // print it: what it filled is kept whatever the status.
    const rec::Call refused =
        finished(&book, 2, rec::shapes::puList, {1, units, 3u, &count}, -3, [] {});
    EXPECT_NE(rec::callText(refused).find("  = 0xfffffffd\n  list out 00010000 00000000"),
              std::string::npos)
        << rec::callText(refused);

    std::vector<rec::Call> calls;
    std::string error;
    ASSERT_TRUE(rec::parseRecording(rec::recordingHeader() + text, &calls, &error)) << error;
    KEL_PuEntry fresh[3];
    memset(fresh, 0x5A, sizeof fresh);
    uint32_t freshCount = 0;
    const rec::Call live =
        rec::describeCall(rec::shapes::puList, {1, fresh, 3u, &freshCount}, book);
    ASSERT_TRUE(rec::sameCall(live, calls[0]));
    rec::replayWrites(calls[0], live);
    EXPECT_EQ(fresh[0].id, 0x100u);
    EXPECT_EQ(fresh[1].id, 0x5A5A5A5Au); // not filled: left as the caller had it
    EXPECT_EQ(freshCount, 1u);
}

TEST(RecordingFormat, ReadsWhatEditorsLeaveAndRefusesTheFirstVersion) {
    std::vector<rec::Call> calls;
    std::string error;
    EXPECT_TRUE(rec::parseRecording("\xEF\xBB\xBFKEL recording 2  \r\ncall 1 KEL_close \n"
                                    "\tdevice 1\t\n  = 0x0   \n",
                                    &calls, &error))
        << error;
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].arguments[0].number, 1u);
}

// Support reads control calls from the comments: the code's name on the
// service the handle was captured for (BASEFMC0 and SYSMON0 share numbers)
// and the record's fields.
TEST(RecordingFormat, ControlCallsAreNamedAndDecodedByTheirService) {
    rec::HandleBook book;
    uint32_t mode = KEL_MODE_SHARED;
    book.follow(
        finished(&book, 1, rec::shapes::capture, {1, 0u, &mode, "BASEDDS0", 10000u}, 257, [] {}));
    book.follow(
        finished(&book, 2, rec::shapes::capture, {1, 0u, &mode, "BASEFMC0", 10000u}, 258, [] {}));
    book.follow(
        finished(&book, 3, rec::shapes::capture, {1, 0u, &mode, "SYSMON0", 10000u}, 259, [] {}));
    DdsOutFreq frequency = {1e8 / 3, 1, 1};
    rec::Call call = finished(&book, 4, rec::shapes::ctrl,
                              {257, 0u, KELctrl_DDS_SETOUTFREQ, &frequency}, 0, [] {});
    EXPECT_NE(rec::callText(call, &book)
                  .find("call 4 KEL_ctrl\n  # KELctrl_DDS_SETOUTFREQ on BASEDDS0, DdsOutFreq: "
                        "outputFreq 33333333.333333332, word1 1, word2 1\n"),
              std::string::npos)
        << rec::callText(call, &book);
    SwitchRoute route = {7, 1};
    call = finished(&book, 5, rec::shapes::ctrl, {258, 0u, KELctrl_BASEF_GETSWITCH, &route}, 0,
                    [&] { route.input = 4; });
    EXPECT_NE(rec::callText(call, &book).find("  # returned: output 7, input 4\n"),
              std::string::npos)
        << rec::callText(call, &book);
    SensorReading reading = {0, 0, 0};
    call = finished(&book, 6, rec::shapes::ctrl, {259, 0u, KELctrl_SYSMON_GETVCCINT, &reading}, 0,
                    [&] { reading.current = 1.002; });
    EXPECT_NE(rec::callText(call, &book).find("# KELctrl_SYSMON_GETVCCINT on SYSMON0"),
              std::string::npos);
    EXPECT_NE(rec::callText(call, &book).find("# returned: current 1.002, minimum 0"),
              std::string::npos);
}

// Fault guarded: a differing buffer was shown as two lines of thousands of
// hexadecimal digits, with nothing to say where they differ.
TEST(DivergenceReport, MarksTheFirstDifferingByteAndItsField) {
    rec::HandleBook book;
    uint32_t mode = KEL_MODE_SHARED;
    book.follow(
        finished(&book, 1, rec::shapes::capture, {1, 0u, &mode, "BASEDDS0", 10000u}, 257, [] {}));
    DdsOutFreq recordedFrequency = {1e8, 1, 1};
    DdsOutFreq calledFrequency = {1.5e8, 1, 1};
    const rec::Call recorded = rec::describeCall(
        rec::shapes::ctrl, {257, 0u, KELctrl_DDS_SETOUTFREQ, &recordedFrequency}, book);
    rec::Call live = rec::describeCall(rec::shapes::ctrl,
                                       {257, 0u, KELctrl_DDS_SETOUTFREQ, &calledFrequency}, book);
    live.number = 2;
    const std::string report = rec::divergenceReport("s.kelrec", live, &recorded, 9, &book);
    EXPECT_NE(report.find("  first difference: 'record' byte 4 (DdsOutFreq.outputFreq): recorded "
                          "84d79741 01000000 ..., called a3e1a141 01000000 ...\n"),
              std::string::npos)
        << report;
    KEL_BoardInfo info;
    memset(&info, 0, sizeof info);
    const rec::Call before = rec::describeCall(rec::shapes::getInfo, {1u, &info}, book);
    info.size = sizeof info;
    live = rec::describeCall(rec::shapes::getInfo, {1u, &info}, book);
    EXPECT_EQ(rec::divergenceReport("s.kelrec", live, &before, 9, &book),
              "KEL replay: call 0 differs from the recording (s.kelrec, line 0)\n"
              "  recorded: KEL_getInfo(lid 1, info in <280 bytes>)\n"
              "  called:   KEL_getInfo(lid 1, info in <280 bytes>)\n"
              "  first difference: 'info' byte 0: recorded 00000000 00000000 ..., called 18010000 "
              "00000000 ...\n");
}

} // namespace
