// The lines that describe a board: its description, units and services.
#ifndef SYNTH_BOARD_LISTING_H
#define SYNTH_BOARD_LISTING_H

#include <stdint.h>

#include "../board_api/kel_api.h"

#define SGEN_UNIT_CAPACITY 5
#define SGEN_SERVICE_CAPACITY 10

void printBoardDescription(const KEL_BoardInfo *info);

// Prints every unit when the count is 1 to 5; a larger count prints none.
void printUnits(const KEL_PuEntry *units, uint32_t count);

// Prints every service when the count is 1 to 10; a larger count prints none.
void printServices(const KEL_ServiceEntry *services, uint32_t count);

#endif
