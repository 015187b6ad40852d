// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
/* Every entry point of the board library, once. KEL_ENTRY_POINTS(X) calls
 * X(name, returnType, parameters, arguments) for each in the contract's
 * order: the C function is KEL_<name>; `parameters` is its parenthesised
 * parameter list and `arguments` the parenthesised names of those
 * parameters, ready to pass on. The simulated library, the recorder, the
 * recording's call shapes, the board server, the remote library and the
 * packaging stand-in expand this table instead of listing the entry points
 * themselves; kel_api.h stays the declared contract, and a C++ build checks
 * here that the two agree. */
#ifndef KEL_ENTRY_POINTS_H
#define KEL_ENTRY_POINTS_H

#include "kel_api.h"

#define KEL_ENTRY_POINTS(X)                                                                        \
    X(displayMode, int32_t, (int32_t mode), (mode))                                                \
    X(init, int32_t, (const char *configFile, int32_t *count), (configFile, count))                \
    X(lidList, int32_t, (uint32_t * lids, uint32_t capacity, uint32_t * count),                    \
      (lids, capacity, count))                                                                     \
    X(getInfo, int32_t, (uint32_t lid, KEL_BoardInfo * info), (lid, info))                         \
    X(open, int32_t, (uint32_t lid, uint32_t mode, uint32_t * grantedMode),                        \
      (lid, mode, grantedMode))                                                                    \
    X(puList, int32_t, (int32_t device, KEL_PuEntry * list, uint32_t capacity, uint32_t * count),  \
      (device, list, capacity, count))                                                             \
    X(puState, int32_t, (int32_t device, uint32_t puId, uint32_t * state), (device, puId, state))  \
    X(serviceList, int32_t,                                                                        \
      (int32_t device, uint32_t reserved, KEL_ServiceEntry * list, uint32_t capacity,              \
       uint32_t * count),                                                                          \
      (device, reserved, list, capacity, count))                                                   \
    X(capture, int32_t,                                                                            \
      (int32_t device, uint32_t reserved, uint32_t * mode, const char *name, uint32_t timeout),    \
      (device, reserved, mode, name, timeout))                                                     \
    X(ctrl, int32_t, (int32_t service, uint32_t reserved, uint32_t code, void *record),            \
      (service, reserved, code, record))                                                           \
    X(release, int32_t, (int32_t service, uint32_t reserved), (service, reserved))                 \
    X(close, int32_t, (int32_t device), (device))                                                  \
    X(cleanup, int32_t, (void), ())

/* The names of a parenthesised argument list without the parentheses, as
 * the items of a braced list: {KEL_ARGUMENT_ITEMS arguments}. */
#define KEL_ARGUMENT_ITEMS(...) __VA_ARGS__

#ifdef __cplusplus
#include <type_traits>

/* Each entry point by its name in the table, in the table's order. */
enum class KelEntryPoint {
#define KEL_ENTRY_POINT_ENUMERATOR(name, type, parameters, arguments) name,
    KEL_ENTRY_POINTS(KEL_ENTRY_POINT_ENUMERATOR)
#undef KEL_ENTRY_POINT_ENUMERATOR
};

#define KEL_ENTRY_POINT_COUNTED(name, type, parameters, arguments) +1
const int kKelEntryPointCount = 0 KEL_ENTRY_POINTS(KEL_ENTRY_POINT_COUNTED);
#undef KEL_ENTRY_POINT_COUNTED

/* The table and the declared contract name the same functions. */
#define KEL_ENTRY_POINT_AGREES(name, type, parameters, arguments)                                  \
    static_assert(std::is_same<decltype(&KEL_##name), type(KEL_CALL *) parameters>::value,         \
                  "KEL_" #name " is declared otherwise in kel_api.h");
KEL_ENTRY_POINTS(KEL_ENTRY_POINT_AGREES)
#undef KEL_ENTRY_POINT_AGREES
#endif

#endif
