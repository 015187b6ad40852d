// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
/* Control codes and records of the base module service BASEFMC0:
 * the clock switch that feeds the synthesizer and the clock-out. */
#ifndef KEL_BASEFMC_H
#define KEL_BASEFMC_H

#include <stddef.h>
#include <stdint.h>

#define KEL_SERVICE_BASEFMC "BASEFMC0"

#define KELctrl_BASEF_SETSWITCH 0x900u
#define KELctrl_BASEF_GETSWITCH 0x901u
#define KELctrl_BASEF_SWITCHONOFF 0x902u
#define KELctrl_BASEF_SETCLKMODE 0x904u

#pragma pack(push, 1)

/* SETSWITCH/GETSWITCH: output, input. SWITCHONOFF: output, 1 = on. */
typedef struct SwitchRoute {
    int32_t output;
    int32_t input; /* or on/off state */
} SwitchRoute;

typedef struct FmcClockFlags {
    uint32_t refIsSource4; /* 1 when the reference clock source is 4 */
    uint32_t refIsSource7; /* 1 when the reference clock source is 7 */
} FmcClockFlags;

#pragma pack(pop)

#ifdef __cplusplus
/* The board reads these records field by field at fixed offsets. */
static_assert(sizeof(SwitchRoute) == 8, "SwitchRoute is two words");
static_assert(offsetof(SwitchRoute, output) == 0, "switch output at 0");
static_assert(offsetof(SwitchRoute, input) == 4, "input at 4");
static_assert(sizeof(FmcClockFlags) == 8, "FmcClockFlags is two words");
static_assert(offsetof(FmcClockFlags, refIsSource4) == 0, "source-4 flag at 0");
static_assert(offsetof(FmcClockFlags, refIsSource7) == 4, "source-7 flag at 4");
#endif

#endif
