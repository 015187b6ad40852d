// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The device sequence: the board -lid names (or the first listed), the
// firmware check of the unit -pu names (or the first), SYSMON0 capture,
// the polling loop, then everything given back.
#ifndef MONITOR_DEVICE_SEQUENCE_H
#define MONITOR_DEVICE_SEQUENCE_H

#include <stddef.h>
#include <stdint.h>

enum SequenceResult {
    SEQUENCE_MONITORED = 0, // the polling loop ran and returned
    SEQUENCE_FAILED = 1     // stopped on an error, whose line has been printed
};

// Runs after KEL_init succeeded. Whatever the result, the library has been
// shut down when it returns.
SequenceResult runDeviceSequence(void);

enum UnitCheckResult {
    UNIT_GO_ON,      // firmware loaded, or no unit list to examine
    UNIT_NOT_LOADED, // the unit's firmware is not loaded
    UNIT_MISSING     // the unit -pu asked for is not in the list
};

// Checks the programmable unit of the open device (g_device) that -pu
// names, or the first one listed. UNIT_GO_ON also when there is no unit to
// examine: no memory for the unit list ("No Enough Memory") or no unit in
// it; those print their error line and the program goes on to the monitor,
// unless a unit was asked for by its id (UNIT_MISSING).
UnitCheckResult checkProgrammableUnit(void);

// Captures a service of the open device in shared mode and reports the
// granted mode; returns the handle and writes the granted mode.
int32_t captureService(const char *name, uint32_t *grantedMode);

// Bytes for a unit list of count entries; false when that size cannot be
// represented, so that no allocation is attempted.
bool unitListBytes(uint32_t count, size_t *bytes);

// Units outside 0x100..0x1FF, or with attribute bit 3, get a warning box.
bool unitNeedsWarning(uint32_t id, uint32_t attributes);

#endif
