// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Statuses of the simulated board library beyond those the programs name.
// Each is a failure under the status mask and negative as a handle.
#ifndef SIMBOARD_SIM_STATUS_H
#define SIMBOARD_SIM_STATUS_H

#include <stdint.h>

#include "kel_status.h"

namespace sim {

const int32_t kOk = 0;
const int32_t kNotStarted = static_cast<int32_t>(0xC0000101u);
const int32_t kBadHandle = static_cast<int32_t>(0xC0000102u);
const int32_t kBadArgument = static_cast<int32_t>(0xC0000103u);
const int32_t kNoSuchBoard = static_cast<int32_t>(0xC0000104u);
const int32_t kNoSuchService = static_cast<int32_t>(0xC0000105u);
const int32_t kBadConfiguration = static_cast<int32_t>(0xC0000106u);
const int32_t kUnsupportedCode = static_cast<int32_t>(0xC0000107u);
const int32_t kAlreadyStarted = static_cast<int32_t>(0xC0000108u);
const int32_t kOpenFailed = static_cast<int32_t>(0xC0000109u);
const int32_t kInternalError = static_cast<int32_t>(0xC00001FFu);
const int32_t kBadMode = static_cast<int32_t>(KELerr_BAD_MODE);
const int32_t kBusy = static_cast<int32_t>(KELerr_INSUFFICIENT_SERVICES);

} // namespace sim

#endif
