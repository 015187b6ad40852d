// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "board_listing.h"

#include <stdio.h>

#include "program_values.h"

// Text fields come from the library and need not end in a NUL: each is
// printed with its field size as the limit.

void printBoardDescription(const KEL_BoardInfo *info) {
    printf("Board: %.*s, DevID = 0x%x, RevID = 0x%x, Bus = %d, Dev = %d, Slot = %d.\n",
           KEL_BOARD_NAME_SIZE, info->name, info->boardType >> 16, info->boardType & 0xFFu,
           static_cast<int>(info->bus), static_cast<int>(info->deviceNumber),
           static_cast<int>(info->slot));
}

void printUnits(const KEL_PuEntry *units, uint32_t count) {
    if (count < 1 || count > SGEN_UNIT_CAPACITY) {
        return;
    }
    for (uint32_t j = 0; j < count; ++j) {
        printf("Programable unit %d: %.*s, Id = %d, Code = %x, Attr = %x.\n", static_cast<int>(j),
               KEL_PU_DESCRIPTION_SIZE, units[j].description, static_cast<int>(units[j].id),
               units[j].code, units[j].attributes);
    }
}

void printServices(const KEL_ServiceEntry *services, uint32_t count) {
    if (count < 1 || count > SGEN_SERVICE_CAPACITY) {
        return;
    }
    for (uint32_t j = 0; j < count; ++j) {
        printf("Service %d: %.*s, Attr = %X.\n", static_cast<int>(j), KEL_SERVICE_NAME_SIZE,
               services[j].name, services[j].attributes);
    }
}
