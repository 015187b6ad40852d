// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Running a program as a Windows service: started by the service control
// manager, it reports that it starts, that it runs once it serves, and
// that it stopped, with why when it could not start; a stop or shutdown
// control is a stop request as Ctrl+C is (see stop_request.h). On POSIX a
// service manager runs the program as it is, and none of this exists.
#ifndef PLATFORM_SERVICE_CONTROL_H
#define PLATFORM_SERVICE_CONTROL_H

#include <string>
#include <vector>

struct PlatService {
    const char *name;        // the service's key name
    const char *displayName; // as the services console lists it
};

// The service's work: its arguments are the command line it was registered
// with, then those its start was given. It calls running() once it serves,
// and returns 0 when it stopped on request, else a code of its own (1 to
// 65535) for why it could not start, which the service reports.
using PlatServiceWork = int (*)(const std::vector<std::string> &arguments, void (*running)());

// Runs `work` as the service when the service control manager started the
// program, and returns true when the service has stopped. Returns false at
// once when it did not (a start from a console, and on POSIX): the program
// goes on as a console program.
bool platRunAsService(const PlatService &service, PlatServiceWork work);

// Registers this program, by its own path and with `arguments`, as a
// service that starts with the system; or removes it. False with the
// reason in *problem (on POSIX: that services are Windows only).
bool platInstallService(const PlatService &service, const std::vector<std::string> &arguments,
                        std::string *problem);
bool platRemoveService(const PlatService &service, std::string *problem);

#endif
