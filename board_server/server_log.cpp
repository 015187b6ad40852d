// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "server_log.h"

#include <stdio.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "background_thread.h"
#include "log_clock.h"

namespace {

const size_t kQueuedLinesLimit = 1000;
const auto kLastLinesWait = std::chrono::seconds(1);

struct Log {
    std::mutex mutex;
    std::condition_variable queued;
    std::condition_variable drained;
    std::deque<std::string> lines;
    unsigned long dropped = 0;
    bool writing = false;
    bool stopping = false;
    // Set before the writer starts, never changed after.
    FILE *destination = stderr;
    bool timed = true;
    std::thread writer;
};

// Never destroyed: the writer may still be inside a write at exit.
Log &theLog() {
    static Log *log = new Log;
    return *log;
}

void writeLines() {
    Log &log = theLog();
    std::unique_lock<std::mutex> lock(log.mutex);
    for (;;) {
        log.queued.wait(lock, [&] { return !log.lines.empty() || log.stopping; });
        if (log.lines.empty()) {
            return;
        }
        std::string line = std::move(log.lines.front());
        log.lines.pop_front();
        log.writing = true;
        lock.unlock();
        fprintf(log.destination, "%s\n", line.c_str());
        fflush(log.destination);
        lock.lock();
        log.writing = false;
        log.drained.notify_all();
    }
}

} // namespace

void startServerLog(FILE *destination, bool timed) {
    Log &log = theLog();
    log.destination = destination;
    log.timed = timed;
    log.writer = platStartBackgroundThread(writeLines);
}

void logLine(const std::string &line) {
    Log &log = theLog();
    std::lock_guard<std::mutex> lock(log.mutex);
    if (log.lines.size() >= kQueuedLinesLimit) {
        ++log.dropped;
        return;
    }
    if (log.dropped > 0) {
        log.lines.push_back(
            timedLogLine(std::to_string(log.dropped) + " log lines dropped", log.timed));
        log.dropped = 0;
    }
    // Timed when it happened, not when the writer gets to it.
    log.lines.push_back(timedLogLine(line, log.timed));
    log.queued.notify_one();
}

void stopServerLog() {
    Log &log = theLog();
    std::unique_lock<std::mutex> lock(log.mutex);
    const bool drained = log.drained.wait_for(lock, kLastLinesWait,
                                              [&] { return log.lines.empty() && !log.writing; });
    log.stopping = true;
    log.queued.notify_all();
    lock.unlock();
    if (drained && log.writer.joinable()) {
        log.writer.join();
    } else if (log.writer.joinable()) {
        log.writer.detach();
    }
}
