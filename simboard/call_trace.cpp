// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "call_trace.h"

#include <stdarg.h>
#include <stdio.h>

#include "environment_file.h"

namespace sim {

bool traceEnabled() {
    std::string path;
    return platEnvironmentPath("KEL_SIM_TRACE", &path);
}

void traceLine(const std::string &line) {
    std::string path;
    if (!platEnvironmentPath("KEL_SIM_TRACE", &path)) {
        return;
    }
    // Opened per line so that the trace is complete even when the program
    // is killed or never calls KEL_cleanup.
    FILE *file = platOpenFile(path.c_str(), "ab");
    if (file == nullptr) {
        return;
    }
    fputs(line.c_str(), file);
    fputc('\n', file);
    fclose(file);
}

std::string formatText(const char *format, ...) {
    char buffer[512];
    va_list arguments;
    va_start(arguments, format);
    const int length = vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (length < 0) {
        return std::string();
    }
    return std::string(buffer, static_cast<size_t>(length) < sizeof buffer
                                   ? static_cast<size_t>(length)
                                   : sizeof buffer - 1);
}

} // namespace sim
