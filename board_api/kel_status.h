// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
/* The failure mask of control-call statuses, and the status words the
 * programs name when a control call fails. */
#ifndef KEL_STATUS_H
#define KEL_STATUS_H

#include <stdint.h>

/* A control call failed when its status AND this mask is non-zero:
 * bits 16 to 18 carry information, not failure. */
#define KEL_STATUS_MASK 0xFFF8FFFFu

#define KELerr_OK 0x00000000u
#define KELerr_BAD_MODE 0xC000010Au
#define KELerr_INSUFFICIENT_SERVICES 0xC000010Bu
#define KELerr_DDS_INVALID_WRRDREG 0x00001800u

/* True when a control call's status means failure. */
#define KEL_FAILED(status) ((((uint32_t)(status)) & KEL_STATUS_MASK) != 0u)

#endif
