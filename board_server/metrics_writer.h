// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The server's metrics file (--metrics-file): the boards' readings and the
// server's state, replaced whole every interval on a thread of its own, for
// a monitoring agent's textfile collector.
#ifndef BOARD_SERVER_METRICS_WRITER_H
#define BOARD_SERVER_METRICS_WRITER_H

#include <chrono>
#include <condition_variable>
#include <set>
#include <string>
#include <thread>

#include "annotated_mutex.h"
#include "board_broker.h"
#include "broker_snapshot.h"
#include "metrics_snapshot.h"
#include "sensor_reader.h"

// The server's state as the metrics tell it: the clients, what they hold
// and wait for now, and the process's counters. Every service in `known`
// is told, with zeros when nobody holds or waits for it, so that a series
// drops to 0 rather than vanishing.
ServerState serverStateOf(const BrokerSnapshot &books, const std::set<std::string> &known);

class MetricsWriter {
public:
    // Its own sensor reader is an internal client of the broker, which
    // must outlive the writer.
    MetricsWriter(BoardBroker *broker, const std::string &path);
    ~MetricsWriter();
    MetricsWriter(const MetricsWriter &) = delete;
    MetricsWriter &operator=(const MetricsWriter &) = delete;

    // Takes the boards and writes the file a first time; false with why in
    // *problem when the file cannot be written. What could not be taken
    // is in *untaken ("" when every board is read), for one log line: the
    // file then has no readings of it.
    bool begin(std::string *untaken, std::string *problem);
    // After begin: a pass every interval until stop(); a failing pass is
    // logged once, and again only after one succeeded.
    void renewEvery(std::chrono::seconds interval);
    // Ends the passes and gives back what the reader holds.
    void stop() EXCLUDES(mutex_);

    // One pass: reads the boards, takes the books, replaces the file. False
    // with why in *problem when the file could not be replaced.
    bool write(std::string *problem);

private:
    void run(std::chrono::seconds interval) EXCLUDES(mutex_);

    BoardBroker *broker_;
    SensorReader reader_;
    const std::string path_;
    std::set<std::string> services_; // seen so far; only the writer's thread
    Mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ GUARDED_BY(mutex_) = false;
    std::thread thread_;
};

#endif
