// What the replay says when the program does something else than the
// recorded session: the call's number, the recorded form and the one made.
#ifndef RECORDING_DIVERGENCE_REPORT_H
#define RECORDING_DIVERGENCE_REPORT_H

#include <stddef.h>

#include <string>

#include "recorded_call.h"

namespace rec {

// `recorded` is null for a call past the end of a recording of
// `recordedCalls` calls. The text ends with a newline.
std::string divergenceReport(const std::string &file, const Call &live, const Call *recorded,
                             size_t recordedCalls);

} // namespace rec

#endif
