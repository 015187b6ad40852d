// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "board_sweep.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "board_listing.h"
#include "command_line.h"
#include "console.h"
#include "dds_setup.h"
#include "filesystem.h"
#include "fmc_clock.h"
#include "kel_api.h"
#include "kel_basedds.h"
#include "option_file.h"
#include "option_file_limit.h"
#include "path_limit.h"
#include "program_values.h"
#include "stop_request.h"

namespace {

const uint32_t kLidCapacity = 10;

// Reads the command line and the option file; false when the run must end
// (the reason has been printed).
bool readSettings(int argc, char **argv) {
    if (parseCommandLine(argc, argv) != COMMAND_LINE_OK) {
        return false;
    }
    if (g_optionFileName[0] == '\0') {
        memcpy(g_optionFileName, SGEN_DEFAULT_OPTION_FILE, sizeof SGEN_DEFAULT_OPTION_FILE);
    }
    const int32_t loaded = loadOptions(g_optionFileName);
    if (loaded == LOAD_OPTIONS_PATH_TOO_LONG) {
        const std::string parts =
            std::string("the current directory and option file name '") + g_optionFileName + "'";
        refuseLongJoinedPath("demo_sgen", parts.c_str());
        return false;
    }
    if (loaded == LOAD_OPTIONS_NO_DIRECTORY) {
        fprintf(stderr,
                "demo_sgen: the current directory, where option file '%s' is looked for, no "
                "longer exists or cannot be read\n",
                g_optionFileName);
        return false;
    }
    if (loaded == LOAD_OPTIONS_TOO_LARGE) {
        refuseLargeOptionFile("demo_sgen", g_optionFileName);
        return false;
    }
    if (loaded < 0) {
        printf("\nERROR: Can't find ini file '%s'\n\n", g_optionFileName);
        explainMissingOptionFile(g_optionFileName);
        return false;
    }
    return true;
}

void startLibrary() {
    KEL_displayMode(KEL_DISPLAY_MODE_DEFAULT);
    // The program's own library configuration wins when it can be read.
    const char *config = platCanOpenForReading("kel_sgen.ini") ? "kel_sgen.ini" : KEL_CONFIG_FILE;
    int32_t boardCount = 0;
    KEL_init(config, &boardCount);
}

void printDdsCaptureMode(uint32_t mode) {
    if (mode == KEL_MODE_EXCLUSIVE) {
        printf("BASEDDS0 Capture mode: EXCLUSIVE\n");
    } else if (mode == KEL_MODE_SPY) {
        printf("BASEDDS0 Capture mode: SPY\n");
    }
}

// Captures and programs every BASEDDS0 entry in turn; returns the handle
// still held (0 when none is).
int32_t programSynthesizers(int32_t device, KEL_ServiceEntry *services, uint32_t count) {
    int32_t ddsService = 0;
    for (uint32_t j = 0; j < count && j < SGEN_SERVICE_CAPACITY; ++j) {
        if (platStopStatus() != 0) {
            break; // nothing new is taken once the run is to end
        }
        if (memcmp(services[j].name, KEL_SERVICE_BASEDDS, sizeof KEL_SERVICE_BASEDDS) != 0) {
            continue;
        }
        // A second entry replaces the kept handle: give the first one back.
        if (ddsService > 0) {
            KEL_release(ddsService, 0);
        }
        uint32_t mode = KEL_MODE_EXCLUSIVE;
        ddsService = KEL_capture(device, 0, &mode, services[j].name, KEL_CAPTURE_TIMEOUT_MS);
        printDdsCaptureMode(mode);
        if (ddsService > 0 && platStopStatus() == 0) {
            setupFmcClock(device);
            setupDds(ddsService);
        }
    }
    return ddsService;
}

void handleBoard(uint32_t lid, KEL_BoardInfo *info) {
    KEL_getInfo(lid, info);
    printBoardDescription(info);

    const int32_t device = KEL_open(lid, KEL_MODE_SHARED, nullptr);
    if (device <= 0) {
        return; // skipped silently
    }
    KEL_PuEntry units[SGEN_UNIT_CAPACITY];
    memset(units, 0, sizeof units);
    uint32_t unitCount = 0;
    KEL_puList(device, units, SGEN_UNIT_CAPACITY, &unitCount);
    printUnits(units, unitCount);

    KEL_ServiceEntry services[SGEN_SERVICE_CAPACITY];
    memset(services, 0, sizeof services);
    uint32_t serviceCount = 0;
    KEL_serviceList(device, 0, services, SGEN_SERVICE_CAPACITY, &serviceCount);
    printServices(services, serviceCount);

    const int32_t ddsService = programSynthesizers(device, services, serviceCount);
    if (ddsService > 0) {
        KEL_release(ddsService, 0);
    }
    KEL_close(device);
    printf("\nKEL_close: OK\n");
}

} // namespace

int sweepBoards(int argc, char **argv) {
    platWatchStopRequests();
    if (!readSettings(argc, argv)) {
        return 1;
    }
    startLibrary();

    uint32_t *lids = static_cast<uint32_t *>(calloc(kLidCapacity, sizeof(uint32_t)));
    uint32_t lidCount = 0;
    if (lids != nullptr) {
        KEL_lidList(lids, kLidCapacity, &lidCount);
    }
    KEL_BoardInfo info;
    memset(&info, 0, sizeof info);
    info.size = sizeof info;
    // A stop request ends the sweep between boards.
    for (uint32_t i = 0; i < lidCount && i < kLidCapacity && platStopStatus() == 0; ++i) {
        const bool oneBoard = g_chosenLid != SGEN_ALL_BOARDS;
        handleBoard(oneBoard ? static_cast<uint32_t>(g_chosenLid) : lids[i], &info);
        if (oneBoard) {
            break;
        }
    }
    free(lids);

    KEL_cleanup();
    printf("KEL_cleanup: OK\n");
    // A run ended on request has given the board back and ends at once.
    if (platStopStatus() == 0) {
        printf("Press any key for leaving program...\n");
        if (!g_quiet) {
            platGetKey();
        }
    }
    return platEndStatus(0);
}
