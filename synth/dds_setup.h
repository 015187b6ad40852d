// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Programming of the direct digital synthesizer (service BASEDDS0).
#ifndef SYNTH_DDS_SETUP_H
#define SYNTH_DDS_SETUP_H

#include <stdint.h>

// Programs the captured synthesizer; returns the status of the last
// examined control call.
int32_t setupDds(int32_t service);

#endif
