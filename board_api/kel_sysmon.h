// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
/* Control codes and records of the system-monitor service SYSMON0.
 * The codes share numbers with BASEFMC0: codes are numbered per service. */
#ifndef KEL_SYSMON_H
#define KEL_SYSMON_H

#include <stddef.h>
#include <stdint.h>

#define KEL_SERVICE_SYSMON "SYSMON0"

#define KELctrl_SYSMON_GETTEMP 0x900u
#define KELctrl_SYSMON_GETVCCINT 0x901u
#define KELctrl_SYSMON_GETVCCAUX 0x902u
#define KELctrl_SYSMON_GETVREFP 0x903u
#define KELctrl_SYSMON_GETVREFN 0x904u
#define KELctrl_SYSMON_GETNOMINALS 0x906u

#pragma pack(push, 1)

typedef struct SensorReading {
    double current;
    double minimum;
    double maximum;
} SensorReading;

typedef struct NominalVoltages {
    double vccInt;
    double vccAux;
    double vrefP;
    double vrefN;
} NominalVoltages;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(SensorReading) == 24, "SensorReading is 24 bytes");
static_assert(offsetof(SensorReading, maximum) == 16, "maximum at 16");
static_assert(sizeof(NominalVoltages) == 32, "NominalVoltages is 32 bytes");
static_assert(offsetof(NominalVoltages, vrefN) == 24, "Vrefn at 24");
#endif

#endif
