// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The lines that describe a board: its description, units and services.
#ifndef SYNTH_BOARD_LISTING_H
#define SYNTH_BOARD_LISTING_H

#include <stdint.h>

#include "kel_api.h"

void printBoardDescription(const KEL_BoardInfo *info);

// Prints every unit when the count is 1 to SGEN_UNIT_CAPACITY; a larger
// count prints none.
void printUnits(const KEL_PuEntry *units, uint32_t count);

// Prints every service when the count is 1 to SGEN_SERVICE_CAPACITY; a
// larger count prints none.
void printServices(const KEL_ServiceEntry *services, uint32_t count);

#endif
