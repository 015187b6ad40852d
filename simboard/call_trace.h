// The call trace: with KEL_SIM_TRACE naming a file, one line per entry-point
// call is appended to it, so tests can check call order and arguments.
#ifndef SIMBOARD_CALL_TRACE_H
#define SIMBOARD_CALL_TRACE_H

#include <stddef.h>

#include <string>

namespace sim {

bool traceEnabled();

// Appends one line (a newline is added).
void traceLine(const std::string &line);

// printf-style formatting into a string.
std::string formatText(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// A text argument as the library saw it: quoted, at most `limit` bytes, with
// bytes outside printable ASCII escaped; "null" for a null pointer.
std::string quotedText(const char *text, size_t limit);

// Bytes in hexadecimal, a space after every four.
std::string hexBytes(const void *data, size_t size);

} // namespace sim

#endif
