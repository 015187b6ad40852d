// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "server_log.h"

#include <stdio.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>

#include "annotated_mutex.h"
#include "background_thread.h"
#include "log_clock.h"

namespace {

const size_t kQueuedLinesLimit = 1000;
const auto kLastLinesWait = std::chrono::seconds(1);

struct Log {
    Mutex mutex;
    std::condition_variable queued;
    std::condition_variable drained;
    std::deque<std::string> lines GUARDED_BY(mutex);
    unsigned long dropped GUARDED_BY(mutex) = 0;
    bool writing GUARDED_BY(mutex) = false;
    bool stopping GUARDED_BY(mutex) = false;
    // Set before the writer starts, never changed after.
    FILE *destination = stderr;
    bool timed = true;
    std::thread writer; // started and ended by the main thread only
};

// Never destroyed: the writer may still be inside a write at exit.
Log &theLog() {
    static Log *log = new Log;
    return *log;
}

// The next line to write, once there is one; false when the log stops
// with nothing left.
bool takeLine(Log *log, std::string *line) EXCLUDES(log->mutex) {
    MutexLock lock(&log->mutex);
    while (log->lines.empty() && !log->stopping) {
        lock.wait(&log->queued);
    }
    if (log->lines.empty()) {
        return false;
    }
    *line = std::move(log->lines.front());
    log->lines.pop_front();
    log->writing = true;
    return true;
}

void lineWritten(Log *log) EXCLUDES(log->mutex) {
    MutexLock lock(&log->mutex);
    log->writing = false;
    log->drained.notify_all();
}

// The write itself is done without the lock: a stalled reader holds up
// only the writer.
void writeLines() {
    Log &log = theLog();
    std::string line;
    while (takeLine(&log, &line)) {
        fprintf(log.destination, "%s\n", line.c_str());
        fflush(log.destination);
        lineWritten(&log);
    }
}

// Waits at most a moment for what is queued to be written, then asks the
// writer to end; true when all was written.
bool drainAndStop(Log *log) EXCLUDES(log->mutex) {
    MutexLock lock(&log->mutex);
    const auto deadline = std::chrono::steady_clock::now() + kLastLinesWait;
    while ((!log->lines.empty() || log->writing) && std::chrono::steady_clock::now() < deadline) {
        lock.waitUntil(&log->drained, deadline);
    }
    const bool drained = log->lines.empty() && !log->writing;
    log->stopping = true;
    log->queued.notify_all();
    return drained;
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
    MutexLock lock(&log.mutex);
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
    const bool drained = drainAndStop(&log);
    if (drained && log.writer.joinable()) {
        log.writer.join();
    } else if (log.writer.joinable()) {
        log.writer.detach();
    }
}
