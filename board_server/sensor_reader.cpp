// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "sensor_reader.h"

#include <string.h>

#include "hex_status.h"
#include "kel_api.h"
#include "kel_status.h"
#include "sysmon_reading.h"

namespace {

// The name the programs start the library with: the server's start is
// then the one each program's KEL_init is answered from.
const char kConfigurationName[] = "kel.ini";
const char kSysmonService[] = "SYSMON0";
const uint32_t kLidCapacity = 64;

} // namespace

SensorReader::SensorReader(BoardBroker *broker)
    : broker_(broker), client_(broker->arrive(ClientIdentity{"kel_server", "", true})) {}

SensorReader::~SensorReader() { stop(); }

int32_t SensorReader::call(const rec::EntryShape &shape,
                           std::initializer_list<rec::Argument> arguments) {
    rec::Call call = rec::describeCall(shape, arguments, book_);
    // Its own calls never wait: a spy capture is always admitted.
    broker_->serve(client_, &call, [] { return true; });
    rec::replayWrites(call, call);
    book_.follow(call);
    return call.result;
}

std::string SensorReader::start() {
    int32_t count = 0;
    const int32_t status = call(rec::shapes::init, {kConfigurationName, &count});
    if (KEL_FAILED(status)) {
        return "the board library did not start (KEL_init = " + hexStatus(status) + ")";
    }
    started_ = true;
    uint32_t lids[kLidCapacity] = {};
    uint32_t listed = 0;
    call(rec::shapes::lidList, {lids, kLidCapacity, &listed});
    if (listed == 0) {
        return "the board library lists no board";
    }
    std::string problems;
    for (uint32_t i = 0; i < listed && i < kLidCapacity; ++i) {
        const std::string problem = take(lids[i]);
        problems += problem.empty() ? "" : (problems.empty() ? "" : "; ") + problem;
    }
    return problems;
}

std::string SensorReader::take(uint32_t lid) {
    const std::string which = "board LID " + std::to_string(lid);
    uint32_t granted = 0;
    const int32_t device = call(rec::shapes::open, {lid, KEL_MODE_SHARED, &granted});
    if (device <= 0) {
        return which + " did not open (KEL_open = " + hexStatus(device) + ")";
    }
    uint32_t mode = KEL_MODE_SPY;
    const int32_t sysmon = call(rec::shapes::capture, {device, 0u, &mode, kSysmonService, 0u});
    if (sysmon <= 0) {
        call(rec::shapes::close, {device});
        return which + ": no " + kSysmonService + " (KEL_capture = " + hexStatus(sysmon) + ")";
    }
    // A library that grants more than a spy's place would keep programs
    // out for the sake of a reading: such a board is not read.
    if (mode != KEL_MODE_SPY) {
        call(rec::shapes::release, {sysmon, 0u});
        call(rec::shapes::close, {device});
        return which + ": " + kSysmonService + " was granted in mode " + std::to_string(mode) +
               ", not as a spy";
    }
    Board board;
    board.sysmon = sysmon;
    board.readings.lid = lid;
    KEL_BoardInfo info;
    memset(&info, 0, sizeof info);
    info.size = sizeof info;
    if (!KEL_FAILED(call(rec::shapes::getInfo, {lid, &info}))) {
        board.readings.board = std::string(info.name, strnlen(info.name, sizeof info.name));
    }
    boards_.push_back(board);
    return std::string();
}

std::vector<BoardReadings> SensorReader::read() {
    std::vector<BoardReadings> readings;
    for (Board &board : boards_) {
        readBoardSensors(
            [this, &board](uint32_t code, void *record) {
                return call(rec::shapes::ctrl, {board.sysmon, 0u, code, record});
            },
            &board.readings);
        readings.push_back(board.readings);
    }
    return readings;
}

std::string SensorReader::stop() {
    std::string stopped;
    if (started_) {
        // The shutdown gives back the spy captures and devices with it, or,
        // while a program still uses the library, the broker releases them.
        stopped = "KEL_cleanup = " + hexStatus(call(rec::shapes::cleanup, {}));
        started_ = false;
        boards_.clear();
    }
    broker_->depart(client_);
    return stopped;
}
