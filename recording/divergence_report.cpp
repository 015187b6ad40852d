#include "divergence_report.h"

#include "recording_text.h"

namespace rec {

std::string divergenceReport(const std::string &file, const Call &live, const Call *recorded,
                             size_t recordedCalls) {
    const std::string number = std::to_string(live.number);
    if (recorded == nullptr) {
        return "KEL replay: call " + number + " is beyond the end of the recording " + file + " (" +
               std::to_string(recordedCalls) + " calls)\n  called:   " + callSummary(live) + "\n";
    }
    return "KEL replay: call " + number + " differs from the recording (" + file + ", line " +
           std::to_string(recorded->line) + ")\n  recorded: " + callSummary(*recorded) +
           "\n  called:   " + callSummary(live) + "\n";
}

} // namespace rec
