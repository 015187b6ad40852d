// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
/* The board library's calling contract: entry points, handles, statuses,
 * capture modes and the records both programs read. The vendor library and
 * the project's simulated one are built against this header, so its layout
 * is the ABI: packed little-endian records, 32-bit numbers, C linkage. */
#ifndef KEL_API_H
#define KEL_API_H

#include <stddef.h>
#include <stdint.h>

#include "kel_status.h"

/* A library that names its exports in a module-definition file defines
 * KEL_API itself, empty. */
#if defined(KEL_API)
#elif defined(_WIN32)
#if defined(KEL_BUILDING_LIBRARY)
#define KEL_API __declspec(dllexport)
#else
#define KEL_API __declspec(dllimport)
#endif
#else
#define KEL_API __attribute__((visibility("default")))
#endif

/* The board library's calling convention. Only 32-bit x86 Windows has more
 * than one for C functions: a vendor KEL.dll there is built either cdecl or
 * stdcall, and the programs must call it the way it was built (the build's
 * KEL_CALLING_CONVENTION setting defines KEL_STDCALL for stdcall). Every
 * other target has a single convention and the macro is empty. */
#if defined(_WIN32) && !defined(_WIN64) && (defined(_M_IX86) || defined(__i386__))
#if defined(KEL_STDCALL)
#define KEL_CALL __stdcall
/* Such a build's KEL.dll and programs name each entry point with its
 * argument bytes (KEL_init@8, board_api/KEL.def). */
#define KEL_CALL_DECORATES_NAMES 1
#else
#define KEL_CALL __cdecl
#endif
#else
#define KEL_CALL
#endif

/* Capture and open modes, requested in and granted out. */
#define KEL_MODE_EXCLUSIVE 0u
#define KEL_MODE_SHARED 1u
#define KEL_MODE_SPY 2u

/* Passed to KEL_displayMode by both programs. */
#define KEL_DISPLAY_MODE_DEFAULT 0x8F

/* The board library's own configuration file, as both programs name it to
 * KEL_init. */
#define KEL_CONFIG_FILE "kel.ini"

/* How long both programs let KEL_capture wait for a busy service, ms. */
#define KEL_CAPTURE_TIMEOUT_MS 10000u

#define KEL_BOARD_NAME_SIZE 128
#define KEL_PU_DESCRIPTION_SIZE 128
#define KEL_SERVICE_NAME_SIZE 16

#pragma pack(push, 1)

/* Board description; the caller sets `size` to sizeof(KEL_BoardInfo). */
typedef struct KEL_BoardInfo {
    uint32_t size;
    uint32_t reserved0;
    uint32_t boardType; /* device ID in bits 16..31, revision ID in bits 0..7 */
    char name[KEL_BOARD_NAME_SIZE];
    uint32_t pid;
    uint32_t reserved1;
    uint32_t bus;
    uint32_t deviceNumber;
    uint32_t slot;
    uint8_t reserved2[120];
} KEL_BoardInfo;

/* One programmable unit of a board. */
typedef struct KEL_PuEntry {
    uint32_t id;
    uint32_t code;
    uint32_t attributes;
    char description[KEL_PU_DESCRIPTION_SIZE];
} KEL_PuEntry;

/* One service offered by a board. */
typedef struct KEL_ServiceEntry {
    char name[KEL_SERVICE_NAME_SIZE];
    uint32_t attributes;
} KEL_ServiceEntry;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(KEL_BoardInfo) == 280, "KEL_BoardInfo is 280 bytes");
static_assert(offsetof(KEL_BoardInfo, boardType) == 8, "board type at 8");
static_assert(offsetof(KEL_BoardInfo, name) == 12, "name at 12");
static_assert(offsetof(KEL_BoardInfo, pid) == 140, "PID at 140");
static_assert(offsetof(KEL_BoardInfo, bus) == 148, "bus at 148");
static_assert(offsetof(KEL_BoardInfo, deviceNumber) == 152, "device number at 152");
static_assert(offsetof(KEL_BoardInfo, slot) == 156, "slot at 156");
static_assert(sizeof(KEL_PuEntry) == 140, "KEL_PuEntry is 140 bytes");
static_assert(offsetof(KEL_PuEntry, code) == 4, "code at 4");
static_assert(offsetof(KEL_PuEntry, attributes) == 8, "attributes at 8");
static_assert(offsetof(KEL_PuEntry, description) == 12, "description at 12");
static_assert(sizeof(KEL_ServiceEntry) == 20, "KEL_ServiceEntry is 20 bytes");
static_assert(offsetof(KEL_ServiceEntry, attributes) == 16, "attributes at 16");
#endif

#ifdef __cplusplus
extern "C" {
#endif

KEL_API int32_t KEL_CALL KEL_displayMode(int32_t mode);
KEL_API int32_t KEL_CALL KEL_init(const char *configFile, int32_t *count);
KEL_API int32_t KEL_CALL KEL_lidList(uint32_t *lids, uint32_t capacity, uint32_t *count);
KEL_API int32_t KEL_CALL KEL_getInfo(uint32_t lid, KEL_BoardInfo *info);
/* Returns the device handle (greater than 0) or a failure; grantedMode may be null. */
KEL_API int32_t KEL_CALL KEL_open(uint32_t lid, uint32_t mode, uint32_t *grantedMode);
/* list may be null with capacity 0 to ask for the count only. */
KEL_API int32_t KEL_CALL KEL_puList(int32_t device, KEL_PuEntry *list, uint32_t capacity,
                                    uint32_t *count);
KEL_API int32_t KEL_CALL KEL_puState(int32_t device, uint32_t puId, uint32_t *state);
KEL_API int32_t KEL_CALL KEL_serviceList(int32_t device, uint32_t reserved, KEL_ServiceEntry *list,
                                         uint32_t capacity, uint32_t *count);
/* Returns the service handle (greater than 0) or a failure; *mode is the
 * requested mode in and the granted mode out. */
KEL_API int32_t KEL_CALL KEL_capture(int32_t device, uint32_t reserved, uint32_t *mode,
                                     const char *name, uint32_t timeout);
KEL_API int32_t KEL_CALL KEL_ctrl(int32_t service, uint32_t reserved, uint32_t code, void *record);
KEL_API int32_t KEL_CALL KEL_release(int32_t service, uint32_t reserved);
KEL_API int32_t KEL_CALL KEL_close(int32_t device);
KEL_API int32_t KEL_CALL KEL_cleanup(void);

#ifdef __cplusplus
}
#endif

#endif
