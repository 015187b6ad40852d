// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "server_timeout.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "environment_file.h"

namespace proto {

int serverTimeoutSetting(const char *speaker) {
    std::string text;
    if (!platEnvironmentPath("KEL_SERVER_TIMEOUT_MS", &text)) {
        return kDefaultServerTimeoutMs;
    }
    errno = 0;
    const long value = strtol(text.c_str(), nullptr, 10);
    // Digits only: strtol would also take leading blanks and a sign.
    if (text.find_first_not_of("0123456789") == std::string::npos && errno == 0 && value > 0 &&
        value <= kLongestServerTimeoutMs) {
        return static_cast<int>(value);
    }
    fprintf(stderr,
            "%s: KEL_SERVER_TIMEOUT_MS='%s' is not a number of milliseconds from 1 to %d; "
            "using %d\n",
            speaker, text.c_str(), kLongestServerTimeoutMs, kDefaultServerTimeoutMs);
    fflush(stderr);
    return kDefaultServerTimeoutMs;
}

} // namespace proto
