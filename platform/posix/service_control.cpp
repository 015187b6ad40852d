// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../service_control.h"

// A POSIX service manager (systemd) starts the program as it is and stops
// it with SIGTERM; it needs no registration by the program.

bool platRunAsService(const PlatService &, PlatServiceWork) { return false; }

bool platInstallService(const PlatService &, const std::vector<std::string> &,
                        std::string *problem) {
    *problem = "--install-service is for Windows only; on Linux the package's systemd unit "
               "runs the server";
    return false;
}

bool platRemoveService(const PlatService &, std::string *problem) {
    *problem = "--remove-service is for Windows only";
    return false;
}
