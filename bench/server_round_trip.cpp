// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The board server on loopback: one control call through it (median and
// 99th percentile), without a token and with one (every message sealed),
// beside a raw socket round trip of the same sizes, the floor no server can
// go under; calls per second with 1, 8 and 50 clients at once; and the
// control call again while the server renews its metrics file every second
// (its own SYSMON0 reading under the broker's lock beside the client's).
// The server runs in this process (LocalServer) and serves the simulated
// library linked in.
#include <benchmark/benchmark.h>

#include <string.h>

#include <stdio.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "call_shapes.h"
#include "filesystem.h"
#include "kel_entry_points.h"
#include "kel_sysmon.h"
#include "local_server.h"
#include "messages.h"
#include "metrics_writer.h"
#include "server_connection.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kToken[] = "9a1f0c7e5b3d28466e0f1a2b3c4d5e6f";

LocalServer &theServer() {
    static LocalServer server(linkedLibrary());
    return server;
}

// The same library behind a server that holds a token.
LocalServer &theSealingServer() {
    static LocalServer server(linkedLibrary(), kToken);
    return server;
}

const int kWaitMs = 10000;

// One client with SYSMON0 captured, reading the temperature.
class MonitorClient {
public:
    explicit MonitorClient(bool sealed = false) {
        int32_t status = 0;
        std::string problem;
        connection_.open(sealed ? theSealingServer().address() : theServer().address(), "bench",
                         sealed ? kToken : "", kWaitMs, &status, &problem);
        int32_t count = 0;
        call(rec::shapes::init, {"kel-bench-no-such.ini", &count});
        const int32_t device = call(rec::shapes::open, {1u, KEL_MODE_SHARED, nullptr});
        uint32_t mode = KEL_MODE_SHARED;
        service_ = call(rec::shapes::capture, {device, 0u, &mode, "SYSMON0", 10000u});
    }
    ~MonitorClient() { call(rec::shapes::cleanup, {}); }

    bool ready() const { return service_ > 0; }

    int32_t readTemperature() {
        memset(record_, 0, sizeof record_);
        return call(rec::shapes::ctrl, {service_, 0u, KELctrl_SYSMON_GETTEMP, record_});
    }

    // The frames of one temperature reading, for the raw round trip.
    void readingFrames(proto::Bytes *request, proto::Bytes *answer) {
        rec::Call call = rec::describeCall(rec::shapes::ctrl,
                                           {service_, 0u, KELctrl_SYSMON_GETTEMP, record_}, book_);
        proto::callFrame(call, request);
        call.arguments[3].written = true;
        call.arguments[3].after = call.arguments[3].before;
        *answer = proto::resultFrame(call);
    }

private:
    int32_t call(const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments) {
        rec::Call call = rec::describeCall(shape, arguments, book_);
        int32_t status = 0;
        std::string problem;
        return connection_.carry(&call, &book_, kWaitMs, &status, &problem) ? call.result : status;
    }

    proto::ServerConnection connection_;
    rec::HandleBook book_;
    int32_t service_ = 0;
    uint8_t record_[64] = {};
};

void reportLatencies(benchmark::State &state, std::vector<double> *microseconds) {
    if (microseconds->empty()) {
        return;
    }
    std::sort(microseconds->begin(), microseconds->end());
    state.counters["median_us"] = (*microseconds)[microseconds->size() / 2];
    state.counters["p99_us"] = (*microseconds)[microseconds->size() * 99 / 100];
}

// state.range(0): 1 for a server with a token.
void controlCallThroughServer(benchmark::State &state) {
    MonitorClient client(state.range(0) == 1);
    if (!client.ready()) {
        state.SkipWithError("SYSMON0 could not be captured through the server");
        return;
    }
    std::vector<double> microseconds;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(client.readTemperature());
        microseconds.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    reportLatencies(state, &microseconds);
}

// The same with the metrics renewed every second, as --metrics-interval 1.
void controlCallWithMetrics(benchmark::State &state) {
    // Named by the process, so that two runs at once keep to their own.
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("kel-bench-metrics-" + std::to_string(platProcessNumber()) + ".prom"))
            .string();
    std::string untaken;
    std::string problem;
    {
        MetricsWriter metrics(theServer().broker(), path);
        if (!metrics.begin(&untaken, &problem) || !untaken.empty()) {
            state.SkipWithError((problem + untaken).c_str());
            return;
        }
        metrics.renewEvery(std::chrono::seconds(1));
        controlCallThroughServer(state);
    }
    remove(path.c_str());
}

// An echo of fixed sizes: each request of the call's size answered with the
// result's size, nothing else done.
void rawRoundTrip(benchmark::State &state) {
    proto::Bytes request;
    proto::Bytes answer;
    {
        MonitorClient client;
        client.readingFrames(&request, &answer);
    }
    std::string problem;
    uint16_t port = 0;
    const PlatSocket listener = platListen("127.0.0.1", 0, &port, &problem);
    std::thread echo([&] {
        const PlatSocket socket = platAccept(listener, kWaitMs);
        std::vector<uint8_t> buffer(request.size());
        for (;;) {
            size_t got = 0;
            while (got < buffer.size()) {
                const long part =
                    platReceive(socket, buffer.data() + got, buffer.size() - got, kWaitMs);
                if (part <= 0) {
                    platCloseSocket(socket);
                    return;
                }
                got += static_cast<size_t>(part);
            }
            std::string ignored;
            platSendAll(socket, answer.data(), answer.size(), kWaitMs, &ignored);
        }
    });
    const PlatSocket socket = platConnect("127.0.0.1", port, kWaitMs, &problem);
    std::vector<uint8_t> buffer(answer.size());
    std::vector<double> microseconds;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        platSendAll(socket, request.data(), request.size(), kWaitMs, &problem);
        size_t got = 0;
        while (got < buffer.size()) {
            const long part =
                platReceive(socket, buffer.data() + got, buffer.size() - got, kWaitMs);
            if (part <= 0) {
                break;
            }
            got += static_cast<size_t>(part);
        }
        microseconds.push_back(
            std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    platCloseSocket(socket);
    echo.join();
    platCloseSocket(listener);
    reportLatencies(state, &microseconds);
}

// Each benchmark thread is one client with a connection of its own.
void callsFromManyClients(benchmark::State &state) {
    MonitorClient client;
    int64_t failed = 0;
    for (auto _ : state) {
        failed += client.readTemperature() == 0 ? 0 : 1;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["failed"] = static_cast<double>(failed);
}

} // namespace

BENCHMARK(rawRoundTrip)->Unit(benchmark::kMicrosecond);
// Long enough for several metrics passes in the run with them.
BENCHMARK(controlCallThroughServer)
    ->ArgName("token")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(5.0);
BENCHMARK(controlCallWithMetrics)
    ->ArgName("token")
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(5.0);
BENCHMARK(callsFromManyClients)->Threads(1)->Threads(8)->Threads(50)->UseRealTime();

BENCHMARK_MAIN();
