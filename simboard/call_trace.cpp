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

std::string quotedText(const char *text, size_t limit) {
    if (text == nullptr) {
        return "null";
    }
    std::string result = "\"";
    for (size_t i = 0; i < limit && text[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            result += formatText("\\x%02x", c);
        } else {
            result += static_cast<char>(c);
        }
    }
    return result + "\"";
}

std::string hexBytes(const void *data, size_t size) {
    const unsigned char *bytes = static_cast<const unsigned char *>(data);
    std::string result;
    for (size_t i = 0; i < size; ++i) {
        if (i > 0 && i % 4 == 0) {
            result += ' ';
        }
        result += formatText("%02x", bytes[i]);
    }
    return result;
}

} // namespace sim
