/* Status words the programs name when a control call fails. */
#ifndef KEL_STATUS_H
#define KEL_STATUS_H

#include <stdint.h>

#define KELerr_OK 0x00000000u
#define KELerr_BAD_MODE 0xC000010Au
#define KELerr_INSUFFICIENT_SERVICES 0xC000010Bu
#define KELerr_DDS_INVALID_WRRDREG 0x00001800u

/* True when a control call's status means failure. */
#define KEL_FAILED(status) ((((uint32_t)(status)) & KEL_STATUS_MASK) != 0u)

#endif
