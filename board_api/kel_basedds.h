// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
/* Control codes and records of the synthesizer service BASEDDS0. */
#ifndef KEL_BASEDDS_H
#define KEL_BASEDDS_H

#include <stddef.h>
#include <stdint.h>

#define KEL_SERVICE_BASEDDS "BASEDDS0"

#define KELctrl_DDS_SETMASTER 0x1800u
#define KELctrl_DDS_SETCLKMODE 0x1802u
#define KELctrl_DDS_SETOUTFREQ 0x1804u
#define KELctrl_DDS_OUTFREQ_AUX 0x1805u
#define KELctrl_DDS_START 0x1806u
#define KELctrl_DDS_SETSTBMODE 0x1808u
#define KELctrl_DDS_SETSTARTMODE 0x180Cu

#pragma pack(push, 1)

/* The frequency follows the source directly: offset 4, not aligned to 8. */
typedef struct DdsClockMode {
    uint32_t source;
    double referenceFreq;
} DdsClockMode;

typedef struct DdsOutFreq {
    double outputFreq;
    uint32_t word1; /* always 1 */
    uint32_t word2; /* always 1 */
} DdsOutFreq;

typedef struct DdsStartMode {
    uint32_t startSource;
    uint32_t startInverse;
    uint32_t word2; /* 1 */
    uint32_t word3; /* 0 */
    uint32_t word4; /* 0 */
    uint32_t word5; /* 0 */
} DdsStartMode;

typedef struct DdsStrobeMode {
    uint32_t length;
    uint32_t polarity;
    uint32_t delay;
    uint32_t period;
    uint32_t number;
    uint32_t continuous;
} DdsStrobeMode;

#pragma pack(pop)

#ifdef __cplusplus
/* The board reads these records field by field at fixed offsets. */
static_assert(sizeof(DdsClockMode) == 12, "DdsClockMode is 12 bytes");
static_assert(offsetof(DdsClockMode, source) == 0, "clock source at 0");
static_assert(offsetof(DdsClockMode, referenceFreq) == 4, "frequency at 4");
static_assert(sizeof(DdsOutFreq) == 16, "DdsOutFreq is 16 bytes");
static_assert(offsetof(DdsOutFreq, outputFreq) == 0, "output frequency at 0");
static_assert(offsetof(DdsOutFreq, word1) == 8, "first word at 8");
static_assert(offsetof(DdsOutFreq, word2) == 12, "second word at 12");
static_assert(sizeof(DdsStartMode) == 24, "DdsStartMode is six words");
static_assert(offsetof(DdsStartMode, startInverse) == 4, "start inversion at 4");
static_assert(offsetof(DdsStartMode, word2) == 8, "third start word at 8");
static_assert(sizeof(DdsStrobeMode) == 24, "DdsStrobeMode is six words");
static_assert(offsetof(DdsStrobeMode, polarity) == 4, "strobe polarity at 4");
static_assert(offsetof(DdsStrobeMode, delay) == 8, "strobe delay at 8");
static_assert(offsetof(DdsStrobeMode, period) == 12, "strobe period at 12");
static_assert(offsetof(DdsStrobeMode, number) == 16, "number of strobes at 16");
static_assert(offsetof(DdsStrobeMode, continuous) == 20, "continuous flag at 20");
#endif

#endif
