// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "metrics_writer.h"

#include <errno.h>
#include <string.h>

#include "background_thread.h"
#include "metrics_text.h"
#include "project_version.h"
#include "replace_file.h"
#include "server_counters.h"
#include "server_log.h"

ServerState serverStateOf(const BrokerSnapshot &books, const std::set<std::string> &known) {
    ServerState state;
    state.clients = static_cast<uint32_t>(books.clients.size());
    for (const std::string &service : known) {
        state.captures[service] = {};
        state.captureWaits[service] = 0;
    }
    for (const ClientState &client : books.clients) {
        for (const HeldService &held : client.holdings) {
            // The library's modes are the metrics' modes, in their order.
            if (held.mode < CAPTURE_MODE_COUNT) {
                ++state.captures[held.service][held.mode];
            }
        }
        for (const WaitedService &waited : client.waits) {
            ++state.captureWaits[waited.service];
        }
    }
    // Each service is told in both families, if only with zeros.
    for (const auto &entry : state.captures) {
        state.captureWaits[entry.first];
    }
    for (const auto &entry : state.captureWaits) {
        state.captures[entry.first];
    }
    serverCounters().addTo(&state);
    return state;
}

MetricsWriter::MetricsWriter(BoardBroker *broker, const std::string &path)
    : broker_(broker), reader_(broker), path_(path) {}

MetricsWriter::~MetricsWriter() { stop(); }

bool MetricsWriter::write(std::string *problem) {
    MetricsSnapshot snapshot;
    snapshot.boards = reader_.read();
    snapshot.server = serverStateOf(broker_->snapshot(), services_);
    for (const auto &entry : snapshot.server.captures) {
        services_.insert(entry.first);
    }
    snapshot.version = KEL_PROJECT_VERSION;
    if (!platReplaceFile(path_.c_str(), metricsText(snapshot))) {
        *problem = "cannot write the metrics file '" + path_ + "': " + strerror(errno);
        return false;
    }
    return true;
}

bool MetricsWriter::begin(std::string *untaken, std::string *problem) {
    *untaken = reader_.start();
    return write(problem);
}

void MetricsWriter::renewEvery(std::chrono::seconds interval) {
    thread_ = platStartBackgroundThread([this, interval] { run(interval); });
}

void MetricsWriter::run(std::chrono::seconds interval) {
    bool failing = false;
    auto next = std::chrono::steady_clock::now();
    for (;;) {
        next += interval;
        {
            MutexLock lock(&mutex_);
            while (!stopping_ && std::chrono::steady_clock::now() < next) {
                lock.waitUntil(&wake_, next);
            }
            if (stopping_) {
                return;
            }
        }
        std::string problem;
        const bool written = write(&problem);
        if (!written && !failing) {
            logLine(problem);
        }
        failing = !written;
    }
}

void MetricsWriter::stop() {
    {
        MutexLock lock(&mutex_);
        stopping_ = true;
        wake_.notify_all();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    const std::string stopped = reader_.stop();
    if (!stopped.empty()) {
        logLine("the metrics' sensor reader gave back what it held (" + stopped + ")");
    }
}
