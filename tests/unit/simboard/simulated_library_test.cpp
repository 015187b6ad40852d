// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The simulated board library seen through its C entry points, as the
// programs see it.
#include <gtest/gtest.h>

#include "../temp_directory.h"

#include <string.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "kel_api.h"
#include "kel_status.h"

namespace {

namespace fs = std::filesystem;

const char *const kTwoBoards = R"(
[board 7]
name = FIRST
device_id = 0x1234
revision_id = 0x56
[board 7 unit 0]
id = 0x100
description = Main
[board 7 service 0]
name = BASEDDS0
[board 7 service 1]
name = SYSMON0
[board 9]
name = SECOND
open = fail
)";

class SimulatedLibrary : public InTempDirectory {
protected:
    void TearDown() override {
        KEL_cleanup();
        InTempDirectory::TearDown();
    }
    void start(const std::string &configuration) {
        std::ofstream("kel.ini", std::ios::binary) << configuration;
        int32_t count = -1;
        ASSERT_EQ(KEL_init("kel.ini", &count), 0);
    }
    int32_t openFirst() { return KEL_open(7, KEL_MODE_SHARED, nullptr); }
    int32_t capture(int32_t device, uint32_t mode, const char *name = "BASEDDS0") {
        return KEL_capture(device, 0, &mode, name, 10000);
    }
};

TEST_F(SimulatedLibrary, ServesTheDefaultBoardWithoutAConfigurationFile) {
    int32_t count = 0;
    ASSERT_EQ(KEL_init("kel.ini", &count), 0);
    EXPECT_EQ(count, 1);
    uint32_t lids[4] = {};
    uint32_t listed = 0;
    KEL_lidList(lids, 4, &listed);
    ASSERT_EQ(listed, 1u);
    const int32_t device = KEL_open(lids[0], KEL_MODE_SHARED, nullptr);
    ASSERT_GT(device, 0);
    KEL_PuEntry units[2] = {};
    uint32_t unitCount = 0;
    EXPECT_GE(KEL_puList(device, units, 2, &unitCount), 0);
    ASSERT_EQ(unitCount, 2u);
    EXPECT_EQ(units[0].id, 0x100u);
    uint32_t state = 0;
    KEL_puState(device, units[0].id, &state);
    EXPECT_NE(state & 0xFFu, 0u);
    KEL_ServiceEntry services[4] = {};
    uint32_t serviceCount = 0;
    KEL_serviceList(device, 0, services, 4, &serviceCount);
    ASSERT_EQ(serviceCount, 3u);
    EXPECT_STREQ(services[0].name, "BASEFMC0");
    EXPECT_STREQ(services[1].name, "BASEDDS0");
    EXPECT_STREQ(services[2].name, "SYSMON0");
}

TEST_F(SimulatedLibrary, ListsAndDescribesConfiguredBoards) {
    start(kTwoBoards);
    uint32_t lids[1] = {};
    uint32_t count = 0;
    KEL_lidList(lids, 1, &count);
    EXPECT_EQ(count, 2u); // the count may pass the capacity
    EXPECT_EQ(lids[0], 7u);
    KEL_BoardInfo info;
    memset(&info, 0, sizeof info);
    info.size = sizeof info;
    ASSERT_EQ(KEL_getInfo(7, &info), 0);
    EXPECT_EQ(info.boardType, 0x12340056u);
    EXPECT_STREQ(info.name, "FIRST");
    EXPECT_LT(KEL_open(9, KEL_MODE_SHARED, nullptr), 0);
    EXPECT_LT(KEL_open(8, KEL_MODE_SHARED, nullptr), 0); // not listed
}

TEST_F(SimulatedLibrary, RefusesCallsOnHandlesThatAreNotOpen) {
    start(kTwoBoards);
    uint32_t count = 0;
    EXPECT_LT(KEL_puList(1234, nullptr, 0, &count), 0);
    const int32_t device = openFirst();
    ASSERT_GT(device, 0);
    const int32_t service = capture(device, KEL_MODE_EXCLUSIVE);
    ASSERT_GT(service, 0);
    EXPECT_TRUE(KEL_FAILED(KEL_ctrl(device, 0, 0x1800, nullptr))); // a device is no service
    EXPECT_EQ(KEL_release(service, 0), 0);
    EXPECT_NE(KEL_release(service, 0), 0); // released twice
    EXPECT_TRUE(KEL_FAILED(KEL_ctrl(service, 0, 0x1800, nullptr)));
    EXPECT_EQ(KEL_close(device), 0);
    EXPECT_NE(KEL_close(device), 0);
    EXPECT_LT(KEL_serviceList(device, 0, nullptr, 0, &count), 0);
}

TEST_F(SimulatedLibrary, ExclusiveCaptureBlocksUntilReleased) {
    start(kTwoBoards);
    const int32_t device = openFirst();
    const int32_t first = capture(device, KEL_MODE_EXCLUSIVE);
    ASSERT_GT(first, 0);
    EXPECT_LT(capture(device, KEL_MODE_EXCLUSIVE), 0);
    EXPECT_LT(capture(device, KEL_MODE_SHARED), 0);
    const int32_t spy = capture(device, KEL_MODE_SPY);
    EXPECT_GT(spy, 0); // a spy is always let in
    KEL_release(first, 0);
    const int32_t second = capture(device, KEL_MODE_EXCLUSIVE);
    EXPECT_GT(second, 0);
    EXPECT_NE(second, first); // handles are not reused
}

TEST_F(SimulatedLibrary, CloseReleasesWhatTheDeviceHolds) {
    start(kTwoBoards);
    const int32_t device = openFirst();
    const int32_t service = capture(device, KEL_MODE_EXCLUSIVE);
    ASSERT_GT(service, 0);
    KEL_close(device);
    EXPECT_NE(KEL_release(service, 0), 0);
    const int32_t again = openFirst();
    EXPECT_GT(capture(again, KEL_MODE_EXCLUSIVE), 0);
}

TEST_F(SimulatedLibrary, CleanupEndsEverything) {
    start(kTwoBoards);
    const int32_t device = openFirst();
    ASSERT_EQ(KEL_cleanup(), 0);
    uint32_t count = 0;
    EXPECT_LT(KEL_lidList(nullptr, 0, &count), 0);
    EXPECT_LT(KEL_close(device), 0);
    EXPECT_NE(KEL_cleanup(), 0);
}

TEST_F(SimulatedLibrary, FillsUnterminatedNamesToTheirWholeField) {
    start("[board 1]\nname = ABC\nname_terminated = no\n"
          "[board 1 service 0]\nname = SYSMON0\nname_terminated = no\n");
    KEL_BoardInfo info;
    memset(&info, 0, sizeof info);
    info.size = sizeof info;
    KEL_getInfo(1, &info);
    EXPECT_EQ(memchr(info.name, 0, sizeof info.name), nullptr);
    EXPECT_EQ(std::string(info.name, 6), "ABCABC");
    EXPECT_EQ(info.pid, 0u); // the bytes after the name are untouched
    const int32_t device = KEL_open(1, KEL_MODE_SHARED, nullptr);
    KEL_ServiceEntry entry = {};
    uint32_t count = 0;
    KEL_serviceList(device, 0, &entry, 1, &count);
    EXPECT_EQ(std::string(entry.name, 16), "SYSMON0SYSMON0SY");
}

TEST_F(SimulatedLibrary, InjectsCaptureAndControlFaults) {
    start("[board 1]\n[board 1 service 0]\nname = BASEDDS0\ncapture = fail\n"
          "granted_mode = spy\n[board 1 service 1]\nname = OTHER0\n"
          "ctrl 0x10 = 0x00070000\nctrl 0x11 = 0xC000010A\n"
          "[board 1 service 2]\nname = BASEFMC0\nwrites 0x901 = first\n");
    const int32_t device = KEL_open(1, KEL_MODE_SHARED, nullptr);
    uint32_t mode = KEL_MODE_EXCLUSIVE;
    EXPECT_LT(KEL_capture(device, 0, &mode, "BASEDDS0", 10000), 0);
    EXPECT_EQ(mode, KEL_MODE_SPY);
    const int32_t other = capture(device, KEL_MODE_SHARED, "OTHER0");
    ASSERT_GT(other, 0);
    // A status that passes the mask still runs the model, which knows no codes here.
    EXPECT_EQ(KEL_ctrl(other, 0, 0x10, nullptr), 0x00070000);
    EXPECT_EQ(static_cast<uint32_t>(KEL_ctrl(other, 0, 0x11, nullptr)), 0xC000010Au);
    EXPECT_TRUE(KEL_FAILED(KEL_ctrl(other, 0, 0x12, nullptr)));
    // Any model's record can be left unwritten: here all but the first GETSWITCH.
    const int32_t fmc = capture(device, KEL_MODE_SHARED, "BASEFMC0");
    int32_t route[2] = {7, 5};
    EXPECT_EQ(KEL_ctrl(fmc, 0, 0x901, route), 0);
    EXPECT_EQ(route[1], 0);
    route[1] = 5;
    EXPECT_EQ(KEL_ctrl(fmc, 0, 0x901, route), 0);
    EXPECT_EQ(route[1], 5);
}

TEST_F(SimulatedLibrary, ReportsBadConfigurationWithFileAndLine) {
    std::ofstream("kel.ini") << "[board 1]\nname = X\ncolour = blue\n";
    testing::internal::CaptureStderr();
    EXPECT_LT(KEL_init("kel.ini", nullptr), 0);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message, "KEL: kel.ini:3: unknown key 'colour' in [board 1]\n");
    // Regression: a board number written another way silently merged into the first board.
    std::ofstream("kel.ini", std::ios::trunc) << "[board 1]\n\n[board 0x1]\n";
    testing::internal::CaptureStderr();
    EXPECT_LT(KEL_init("kel.ini", nullptr), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "KEL: kel.ini:3: section [board 0x1] gives the same number as the section on "
              "line 1\n");
    uint32_t count = 0;
    EXPECT_LT(KEL_lidList(nullptr, 0, &count), 0); // not started
}

TEST_F(SimulatedLibrary, RejectsMalformedConfigurations) {
    const std::string bad[] = {
        "[board x]\n",
        "[board 1]\nbus = twelve\n",
        "[board 1]\nbus = 0x1FFFFFFFF\n",
        "[board 1 unit 0]\nid = 1\n",
        "[board 1]\n[board 1]\n",
        "[board 1]\njust words\n",
        "name = X\n",
        "[board 1\n",
        "[board 1]\nopen = maybe\n",
        "[board 1]\n[board 1 service 0]\nname = BASEDDS0\ncapture = often\n",
        "[board 1]\n[board 1 service 0]\nwrites 0x900 = sometimes\n",
        // Regression: the same board, unit or service given twice under another spelling.
        "[board 1]\n[board  1]\n",
        "[board 1]\n[board 01]\n",
        "[board -1]\n[board 4294967295]\n",
        "[board 1]\n[board 1 unit 0]\n[board 1 unit 00]\n",
        "[board 1]\n[board 1 service 1]\n[board 1 service 0x1]\n",
        // Regression: a service name with a NUL was listed but could not be captured.
        std::string("[board 1]\n[board 1 service 0]\nname = BAS") + '\0' + "E\n",
    };
    for (const std::string &text : bad) {
        std::ofstream("kel.ini", std::ios::trunc) << text;
        testing::internal::CaptureStderr();
        EXPECT_LT(KEL_init("kel.ini", nullptr), 0) << text;
        EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("KEL: kel.ini:", 0), 0u) << text;
    }
}

// Guards against an unreadable configuration silently becoming the default board.
TEST_F(SimulatedLibrary, ConfigurationThatCannotBeReadIsAnError) {
    fs::create_directory("kel.ini");
    testing::internal::CaptureStderr();
    EXPECT_LT(KEL_init("kel.ini", nullptr), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "KEL: kel.ini: the configuration file cannot be read\n");
}

TEST_F(SimulatedLibrary, InitStatusCanBeInjected) {
    std::ofstream("kel.ini") << "[library]\ninit_status = -5\n";
    EXPECT_EQ(KEL_init("kel.ini", nullptr), -5);
    uint32_t count = 0;
    EXPECT_LT(KEL_lidList(nullptr, 0, &count), 0);
}

} // namespace
