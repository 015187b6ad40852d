#include "call_trace.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

namespace sim {

bool traceEnabled() {
    const char *path = getenv("KEL_SIM_TRACE");
    return path != nullptr && *path != '\0';
}

void traceLine(const std::string &line) {
    const char *path = getenv("KEL_SIM_TRACE");
    if (path == nullptr || *path == '\0') {
        return;
    }
    // Opened per line so that the trace is complete even when the program
    // is killed or never calls KEL_cleanup.
    FILE *file = fopen(path, "ab");
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
