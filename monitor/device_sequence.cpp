// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "device_sequence.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "kel_api.h"
#include "kel_sysmon.h"
#include "polling_loop.h"
#include "program_values.h"

namespace {

const uint32_t kLidCapacity = 16;
const uint32_t kServiceCapacity = 10;
const uint32_t kUnitAttributeDangerous = 0x8;

// Finds the first SYSMON0 among the listed services and captures it.
// Returns false when the board does not offer it.
bool captureSystemMonitor(const KEL_ServiceEntry *services, uint32_t count) {
    for (uint32_t i = 0; i < count && i < kServiceCapacity; ++i) {
        // The NUL is compared too: "SYSMON01" is another service.
        if (memcmp(services[i].name, KEL_SERVICE_SYSMON, sizeof KEL_SERVICE_SYSMON) == 0) {
            uint32_t grantedMode = 0;
            g_sysmonService = captureService(services[i].name, &grantedMode);
            return true;
        }
    }
    return false;
}

// The service list, the capture and the polling loop on the open device.
SequenceResult monitorDevice() {
    KEL_ServiceEntry services[kServiceCapacity];
    memset(services, 0, sizeof services);
    uint32_t serviceCount = 0;
    KEL_serviceList(g_device, 0, services, kServiceCapacity, &serviceCount);

    if (!captureSystemMonitor(services, serviceCount)) {
        printf("ERROR: Служба SYSMON0 не обнаружена!\n");
        printf("LOG:error\n");
        printf("LOG: отсутствует узел системного монитора\n");
        return SEQUENCE_FAILED;
    }
    // A handle of 0 was reported as a failed capture: there is nothing to
    // read through it.
    if (g_sysmonService <= 0) {
        return SEQUENCE_FAILED;
    }
    runMonitor(g_sysmonService);
    KEL_release(g_sysmonService, 0);
    g_sysmonService = 0;
    return SEQUENCE_MONITORED;
}

} // namespace

bool unitListBytes(uint32_t count, size_t *bytes) {
    if (static_cast<uint64_t>(count) > SIZE_MAX / sizeof(KEL_PuEntry)) {
        return false;
    }
    *bytes = static_cast<size_t>(count) * sizeof(KEL_PuEntry);
    return true;
}

bool unitNeedsWarning(uint32_t id, uint32_t attributes) {
    return id < 0x100u || id > 0x1FFu || (attributes & kUnitAttributeDangerous) != 0;
}

namespace {

// The entry of the wanted unit (the first when none was asked for); null
// when the list has no such unit.
const KEL_PuEntry *findUnit(const KEL_PuEntry *units, uint32_t count) {
    if (g_wantedUnit == MONITOR_FIRST_LISTED) {
        return &units[0];
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (units[i].id == static_cast<uint32_t>(g_wantedUnit)) {
            return &units[i];
        }
    }
    return nullptr;
}

} // namespace

UnitCheckResult checkProgrammableUnit(void) {
    // A unit asked for by its id that the list cannot show is missing.
    const UnitCheckResult unknown =
        g_wantedUnit == MONITOR_FIRST_LISTED ? UNIT_GO_ON : UNIT_MISSING;
    uint32_t count = 0;
    KEL_puList(g_device, nullptr, 0, &count);

    KEL_PuEntry *units = nullptr;
    if (count != 0) {
        size_t bytes = 0;
        if (unitListBytes(count, &bytes)) {
            units = static_cast<KEL_PuEntry *>(malloc(bytes));
        }
        if (units == nullptr) {
            printf("ERROR: No Enough Memory\n\n");
            return unknown;
        }
    }
    const uint32_t capacity = count;
    const int32_t status = KEL_puList(g_device, units, capacity, &count);
    // Without a buffer there is no first entry to read, whatever the second
    // call reports.
    if (status < 0 || count == 0 || units == nullptr) {
        printf("ERROR: Device doesn't have Programmable Units\n\n");
        free(units);
        return unknown;
    }
    // A count above the first call's would run past the buffer.
    const KEL_PuEntry *unit = findUnit(units, count < capacity ? count : capacity);
    if (unit == nullptr) {
        free(units);
        return UNIT_MISSING;
    }
    const uint32_t id = unit->id;
    const uint32_t attributes = unit->attributes;
    free(units);

    if (unitNeedsWarning(id, attributes)) {
        printf("LOG: *******************************************************************\n");
        printf("LOG: * WARNING: It may by very dangerous to program PuID:%d!!!\n",
               static_cast<int>(id));
        printf("LOG: *******************************************************************\n\n");
    }
    uint32_t state = 0;
    KEL_puState(g_device, id, &state);
    return (state & 0xFFu) != 0 ? UNIT_GO_ON : UNIT_NOT_LOADED;
}

int32_t captureService(const char *name, uint32_t *grantedMode) {
    uint32_t mode = KEL_MODE_SHARED;
    const int32_t handle = KEL_capture(g_device, 0, &mode, name, KEL_CAPTURE_TIMEOUT_MS);
    if (mode == KEL_MODE_SHARED) {
        printf("LOG: %s Capture mode: SHARED\n", name);
    } else if (mode == KEL_MODE_SPY) {
        printf("ERROR: %s Capture mode: SPY\n", name);
    }
    if (handle <= 0) {
        printf("ERROR: Ошибка захвата службы %s!\n", name);
    }
    *grantedMode = mode;
    return handle;
}

namespace {

// The board to open among the listed ones: the wanted LID when it is
// listed, else the first. False when the wanted LID is not listed.
bool chooseBoard(const uint32_t *lids, uint32_t count) {
    if (g_wantedLid == MONITOR_FIRST_LISTED) {
        g_chosenLid = static_cast<int32_t>(lids[0]);
        return true;
    }
    for (uint32_t i = 0; i < count && i < kLidCapacity; ++i) {
        if (lids[i] == static_cast<uint32_t>(g_wantedLid)) {
            g_chosenLid = g_wantedLid;
            return true;
        }
    }
    return false;
}

} // namespace

SequenceResult runDeviceSequence(void) {
    uint32_t lids[kLidCapacity];
    memset(lids, 0, sizeof lids);
    uint32_t lidCount = 0;
    KEL_lidList(lids, kLidCapacity, &lidCount);
    if (lidCount == 0) {
        printf("ERROR: None Board\n");
        KEL_cleanup();
        return SEQUENCE_FAILED;
    }
    if (!chooseBoard(lids, lidCount)) {
        printf("ERROR: Board LID=%d is not listed\n", g_wantedLid);
        KEL_cleanup();
        return SEQUENCE_FAILED;
    }

    uint32_t openMode = 0;
    g_device = KEL_open(static_cast<uint32_t>(g_chosenLid), KEL_MODE_SHARED, &openMode);
    if (openMode == KEL_MODE_SPY) {
        printf("ERROR: Устройство открыто в режиме SPY\n");
    }
    if (g_device <= 0) {
        printf("ERROR: Can't Open device (LID=%d)\n", g_chosenLid);
        KEL_cleanup();
        return SEQUENCE_FAILED;
    }

    SequenceResult result = SEQUENCE_FAILED;
    switch (checkProgrammableUnit()) {
    case UNIT_GO_ON:
        result = monitorDevice();
        break;
    case UNIT_NOT_LOADED:
        printf("ERROR: Прошивка не загружена!\n");
        break;
    case UNIT_MISSING:
        printf("ERROR: Device doesn't have Programmable Unit PuID:%d\n", g_wantedUnit);
        break;
    }
    KEL_close(g_device);
    g_device = 0;
    KEL_cleanup();
    return result;
}
