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
#include "kel_status.h"
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
    const std::string head = "KEL recording 1\n";
    const std::string lidList = "call 1 KEL_lidList\n  lids in 00000000\n  capacity 1\n"
                                "  count in 00000000\n";
    const struct {
        std::string text;
        const char *error;
    } cases[] = {
        {"", "line 1: not a board library recording"},
        {"KEL recording 2\n", "line 1: recording version \"2\"; this library reads version 1"},
        {head + lidList, "line 5: the recording ends inside call 1: it is truncated"},
        {head + lidList + "call 2 KEL_cleanup\n", "line 6: call 1 has no result line"},
        {head + "call 1 KEL_close\n  device 1x\n  = 0\n", "line 3: \"1x\" is not a 32-bit number"},
        {head + "call 1 KEL_close\n  device 4294967296\n  = 0\n", "line 3: \"4294967296\" is not"},
        {head + "call 2 KEL_cleanup\n  = 0\n", "line 2: call \"2\" where call 1 comes next"},
        {head + "call 1 KEL_reboot\n", "line 2: unknown entry point \"KEL_reboot\""},
        {head + "call 1 KEL_close\n  = 0\n", "line 3: the result comes before argument 'device'"},
        {head + "call 1 KEL_lidList\n  lids in 0000000g\n", "line 3: bad hexadecimal bytes"},
        {head + "call 1 KEL_lidList\n  lids in 000000\n  capacity 1\n  count in 00000000\n  = 0\n",
         "line 3: 'lids' holds 3 bytes where the call passes 4"},
        {head + lidList + "  = 0\n  lids out 0100\n",
         "line 7: 'lids' wrote 2 bytes into a buffer of 4"},
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
    ASSERT_TRUE(rec::parseRecording("KEL recording 1\ncall 1 KEL_getInfo\n  lid 3\n  info null\n"
                                    "  = 0x0\n",
                                    &calls, &error))
        << error;
    rec::Call live = rec::describeCall(rec::shapes::getInfo, {4u, nullptr}, book);
    live.number = 1;
    EXPECT_FALSE(rec::sameCall(live, calls[0]));
    EXPECT_EQ(rec::divergenceReport("s.kelrec", live, &calls[0], 1),
              "KEL replay: call 1 differs from the recording (s.kelrec, line 2)\n"
              "  recorded: KEL_getInfo(lid 3, info null)\n"
              "  called:   KEL_getInfo(lid 4, info null)\n");
    live = rec::describeCall(rec::shapes::close, {-2}, book);
    live.number = 2;
    EXPECT_EQ(rec::divergenceReport("s.kelrec", live, nullptr, 1),
              "KEL replay: call 2 is beyond the end of the recording s.kelrec (1 calls)\n"
              "  called:   KEL_close(device -2)\n");
}

} // namespace
