// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "program_values.h"

int32_t g_chosenLid = SGEN_ALL_BOARDS;
int32_t g_quiet = 0;
char g_optionFileName[SGEN_NAME_SIZE] = "";
SgenOptions g_options = {};
