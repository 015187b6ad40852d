// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The cost of a whole demo_sgen run in quiet mode over ten simulated boards:
// library start, every board described, opened, its synthesizer captured,
// clocked and programmed, and everything given back.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "../synth/board_sweep.h"
#include "bench_support.h"

namespace {

const int kBoards = 10;

std::string tenBoards() {
    std::string text;
    for (int lid = 1; lid <= kBoards; ++lid) {
        const std::string board = "[board " + std::to_string(lid) + "]";
        const std::string prefix = "[board " + std::to_string(lid);
        text += board + "\nname = SIM-DDS3U-" + std::to_string(lid) +
                "\ndevice_id = 0x5321\nrevision_id = 0x02\npid = " + std::to_string(1000 + lid) +
                "\nbus = " + std::to_string(lid) + "\ndevice_number = 0\nslot = 2\n";
        text += prefix + " unit 0]\nid = 0x100\ncode = 0x11\ndescription = Base FPGA\n";
        text += prefix + " unit 1]\nid = 0x101\ncode = 0x12\ndescription = Submodule FPGA\n";
        text += prefix + " service 0]\nname = BASEFMC0\n";
        text += prefix + " service 1]\nname = BASEDDS0\n";
        text += prefix + " service 2]\nname = SYSMON0\n";
    }
    return text;
}

const char *const kOptions = "[Option]\nRefClockSource=4\nRefClockValue=1.0e9\n"
                             "OutputFreq=7.5e7\nLengthStb=10\nPolarityStb=1\nDelayStb=0\n"
                             "PeriodStb=100\nNumberStb=5\nContStb=0\nStartStb=0\n"
                             "StartSource=0\nStartInverse=0\n";

void sweepTenBoards(benchmark::State &state) {
    const std::string directory = enterScratchDirectory("kel-bench-sgen");
    writeFile("kel_sgen.ini", tenBoards());
    writeFile("demo_sgen.ini", kOptions);
    char program[] = "demo_sgen";
    char quiet[] = "-q";
    char *arguments[] = {program, quiet, nullptr};

    int status = 0;
    silenceStdout();
    for (auto _ : state) {
        status |= sweepBoards(2, arguments);
    }
    restoreStdout();
    if (status != 0) {
        state.SkipWithError("demo_sgen ended with a failure status");
    }
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(directory);
}

} // namespace

BENCHMARK(sweepTenBoards)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
