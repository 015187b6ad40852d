// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
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

// Sends one control record (null for a code that takes none); a failed
// status is reported under codeName. Returns the status.
int32_t sendControl(int32_t service, uint32_t code, const char *codeName, void *record);

// The same line written into a buffer of `size` bytes, cut to fit and always
// terminated; returns the buffer.
char *formatStatusLine(char *line, size_t size, const char *codeName, int32_t status);

#endif
