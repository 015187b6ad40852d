// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The server's own reader of the boards' system monitors, for the metrics
// file: an internal client of the broker, so that it shares the library's
// start with the programs and is judged by the same books. It captures
// SYSMON0 in spy mode, which every other capture admits beside it: a
// reading never keeps a program from any capture.
#ifndef BOARD_SERVER_SENSOR_READER_H
#define BOARD_SERVER_SENSOR_READER_H

#include <stdint.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "board_broker.h"
#include "call_shapes.h"
#include "handle_book.h"
#include "metrics_snapshot.h"

class SensorReader {
public:
    explicit SensorReader(BoardBroker *broker);
    // Gives back what it holds (stop) if the caller did not.
    ~SensorReader();
    SensorReader(const SensorReader &) = delete;
    SensorReader &operator=(const SensorReader &) = delete;

    // Starts the library with the programs' configuration name, opens each
    // listed board and captures its SYSMON0. Returns what went wrong, for
    // one log line ("" when every board is read); the boards that could
    // be taken are read whatever happened to the others.
    std::string start();

    // Reads every board taken at the start afresh; a failed read is absent
    // and counted in its board's readFailures.
    std::vector<BoardReadings> read();

    // Releases, closes and shuts the library down as a last client would
    // (the broker keeps it started while a program still uses it). Returns
    // the shutdown's status for the log ("" when it held no start).
    std::string stop();

private:
    struct Board {
        BoardReadings readings;
        int32_t sysmon = 0;
    };

    // One call through the broker, as a remote client's would be made,
    // with the writes copied back into the arguments' buffers.
    int32_t call(const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments);
    // "" when the board's SYSMON0 is held; else why not.
    std::string take(uint32_t lid);

    BoardBroker *broker_;
    unsigned client_;
    rec::HandleBook book_;
    bool started_ = false;
    std::vector<Board> boards_;
};

#endif
