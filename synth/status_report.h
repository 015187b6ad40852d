// The line demo_sgen prints when a control call of the clock routing or the
// synthesizer programming fails: the control code's name and the status.
#ifndef SYNTH_STATUS_REPORT_H
#define SYNTH_STATUS_REPORT_H

#include <stddef.h>
#include <stdint.h>

#define SGEN_STATUS_LINE_SIZE 256

// Prints "<codeName>: <status name>\n"; bits 16 to 18 of the status carry
// information only and do not change the name.
void reportStatus(const char *codeName, int32_t status);

// The same line written into a buffer of `size` bytes, cut to fit and always
// terminated; returns the buffer.
char *formatStatusLine(char *line, size_t size, const char *codeName, int32_t status);

#endif
