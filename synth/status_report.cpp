// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "status_report.h"

#include <stdio.h>

#include "kel_api.h"
#include "kel_status.h"

namespace {

struct StatusName {
    uint32_t status; // already masked
    const char *format;
};

// KELerr_DDS_INVALID_WRRDREG shares its number with the control code
// KELctrl_DDS_SETMASTER; statuses and codes are separate number spaces.
const StatusName kStatusNames[] = {
    {KELerr_OK, "%s: KELerr_OK\n"},
    {KELerr_BAD_MODE, "%s: KELerr_BAD_MODE\n"},
    {KELerr_INSUFFICIENT_SERVICES, "%s: KELerr_INSUFFICIENT_SERVICES\n"},
    {KELerr_DDS_INVALID_WRRDREG, "%s: KELerr_DDS_INVALID_WRRDREG\n"},
};

const char *const kUnknownStatus = "%s: Unknown error\n";

const char *formatOf(int32_t status) {
    const uint32_t masked = static_cast<uint32_t>(status) & KEL_STATUS_MASK;
    for (const StatusName &row : kStatusNames) {
        if (row.status == masked) {
            return row.format;
        }
    }
    return kUnknownStatus;
}

} // namespace

char *formatStatusLine(char *line, size_t size, const char *codeName, int32_t status) {
    if (size == 0) {
        return line;
    }
    // A name too long for the line is cut rather than overrunning it.
    snprintf(line, size, formatOf(status), codeName != nullptr ? codeName : "");
    return line;
}

void reportStatus(const char *codeName, int32_t status) {
    char line[SGEN_STATUS_LINE_SIZE];
    fputs(formatStatusLine(line, sizeof line, codeName, status), stdout);
}

int32_t sendControl(int32_t service, uint32_t code, const char *codeName, void *record) {
    const int32_t status = KEL_ctrl(service, 0, code, record);
    if (KEL_FAILED(status)) {
        reportStatus(codeName, status);
    }
    return status;
}
