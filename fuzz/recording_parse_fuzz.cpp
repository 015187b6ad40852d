// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Feeds arbitrary text to the recording parser. A recording it accepts is
// written back call by call, and that text must read back as the same.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "recording_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::vector<rec::Call> calls;
    std::string error;
    if (!rec::parseRecording(text, &calls, &error)) {
        if (error.compare(0, 5, "line ") != 0) {
            abort(); // every refusal names its line
        }
        return 0;
    }
    std::string written = rec::recordingHeader();
    for (const rec::Call &call : calls) {
        written += rec::callText(call);
    }
    std::vector<rec::Call> again;
    if (!rec::parseRecording(written, &again, &error) || again.size() != calls.size()) {
        abort();
    }
    std::string rewritten = rec::recordingHeader();
    for (const rec::Call &call : again) {
        rewritten += rec::callText(call);
    }
    if (rewritten != written) {
        abort();
    }
    return 0;
}
