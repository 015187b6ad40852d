// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "program_values.h"

#include "kel_api.h"

MonitorFlags g_flags = {};
int32_t g_wantedLid = MONITOR_FIRST_LISTED;
int32_t g_wantedUnit = MONITOR_FIRST_LISTED;
char g_kelConfig[PLAT_PATH_SIZE] = KEL_CONFIG_FILE;
const char *g_optionFile = nullptr;
std::string g_logFile;
int32_t g_chosenLid = MONITOR_NO_BOARD;
int32_t g_device = 0;
int32_t g_sysmonService = 0;
ReadingSet g_readings = {};
