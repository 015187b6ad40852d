// Statuses of the recorder and of the replay, beyond the board library's
// own: failures under the status mask and negative as handles.
#ifndef RECORDING_RECORDING_STATUS_H
#define RECORDING_RECORDING_STATUS_H

#include <stdint.h>

namespace rec {

// The recorder could not load the board library or write its recording, or
// the replay could not read its recording.
const int32_t kRecordingUnusable = static_cast<int32_t>(0xC0000110u);

// The replay met a call that differs from the recording, or one past its end.
const int32_t kCallDiverged = static_cast<int32_t>(0xC0000111u);

} // namespace rec

#endif
