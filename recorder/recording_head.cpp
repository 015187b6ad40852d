// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "recording_head.h"

#include <stdint.h>
#include <stdio.h>
#include <time.h>

#include "process_facts.h"
#include "project_version.h"
#include "recording_text.h"

namespace {

std::string utcText(time_t seconds) {
    const struct tm *utc = gmtime(&seconds);
    char text[40];
    if (utc == nullptr || strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", utc) == 0) {
        return "unknown";
    }
    return text;
}

std::string libraryFacts(const std::string &library) {
    uint64_t size = 0;
    int64_t modified = 0;
    if (!platFileSizeAndTime(library.c_str(), &size, &modified)) {
        return std::string();
    }
    return " (" + std::to_string(size) + " bytes, changed " +
           utcText(static_cast<time_t>(modified)) + ")";
}

} // namespace

std::string commentText(const std::string &text) {
    std::string safe;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            safe += escaped;
        } else {
            safe += c;
        }
    }
    return safe;
}

std::string recordingHead(const std::string &library) {
    return rec::recordingHeader() + "# program: " + commentText(platProgramPath()) +
           "\n# command line: " + commentText(platCommandLine()) +
           "\n# working directory: " + commentText(platWorkingDirectory()) +
           "\n# recorder: " KEL_PROJECT_NAME " " KEL_PROJECT_VERSION " recording board library" +
           "\n# board library: " + commentText(library) + libraryFacts(library) +
           "\n# system: " + commentText(platSystemName()) +
           "\n# recorded: " + utcText(time(nullptr)) + "\n";
}
