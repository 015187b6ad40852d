// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The cost of one demo_sensors polling pass beyond its one-second sleep:
// every sensor read through the simulated library and the table printed.
#include <benchmark/benchmark.h>

#include <string.h>

#include <filesystem>

#include "../monitor/polling_loop.h"
#include "../monitor/program_values.h"
#include "bench_support.h"
#include "kel_api.h"

namespace {

// Opens the built-in simulated board and captures its SYSMON0; 0 on failure.
int32_t captureSystemMonitor() {
    int32_t boards = 0;
    if (KEL_init("kel.ini", &boards) < 0) {
        return 0;
    }
    uint32_t lids[16] = {};
    uint32_t count = 0;
    KEL_lidList(lids, 16, &count);
    if (count == 0) {
        return 0;
    }
    g_chosenLid = static_cast<int32_t>(lids[0]);
    g_device = KEL_open(lids[0], KEL_MODE_SHARED, nullptr);
    uint32_t mode = KEL_MODE_SHARED;
    return KEL_capture(g_device, 0, &mode, "SYSMON0", 10000);
}

void onePollingPass(benchmark::State &state) {
    const std::string directory = enterScratchDirectory("kel-bench-monitor");
    const int32_t service = captureSystemMonitor();
    if (service <= 0) {
        state.SkipWithError("SYSMON0 could not be captured");
        KEL_cleanup();
        return;
    }
    g_flags = MonitorFlags{1, 1, 1, 1, state.range(0) ? uint8_t(1) : uint8_t(0)};
    SysmonRecords records;
    memset(&records, 0, sizeof records);
    readNominals(service, &records);

    silenceStdout();
    for (auto _ : state) {
        runPollingPass(service, &records);
    }
    restoreStdout();

    KEL_release(service, 0);
    KEL_close(g_device);
    KEL_cleanup();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(directory);
}

} // namespace

// Argument: IsMon off or on (on adds the screen-clear test and the Esc hint).
BENCHMARK(onePollingPass)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
