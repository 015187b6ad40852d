// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../service_control.h"

#include <stdlib.h>
#include <windows.h>

#include "stop_event.h"

// The service control manager starts the program with no console and
// waits for it to connect through StartServiceCtrlDispatcher, which then
// runs the service's main on a thread of its own and returns only once
// the service has stopped. A console start fails to connect at once.

namespace {

// Long enough for a vendor's library that is slow to load; the manager
// gives up on a service that stays starting past it.
const DWORD kStartWaitHintMs = 30000;
const DWORD kStopWaitHintMs = 10000;

const PlatService *g_service = nullptr;
PlatServiceWork g_work = nullptr;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SERVICE_STATUS g_status = {};

void report(DWORD state, DWORD exitCode, DWORD specificCode, DWORD waitHintMs) {
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    // Stop and shutdown only while it runs: before, the start is under way
    // and the work looks at the stop request as soon as it serves.
    g_status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    g_status.dwWin32ExitCode = exitCode;
    g_status.dwServiceSpecificExitCode = specificCode;
    g_status.dwWaitHint = waitHintMs;
    g_status.dwCheckPoint =
        state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : g_status.dwCheckPoint + 1;
    SetServiceStatus(g_statusHandle, &g_status);
}

void reportRunning() { report(SERVICE_RUNNING, NO_ERROR, 0, 0); }

DWORD WINAPI handleControl(DWORD control, DWORD, void *, void *) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        report(SERVICE_STOP_PENDING, NO_ERROR, 0, kStopWaitHintMs);
        recordServiceStop();
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI serviceMain(DWORD startArgc, char **startArgv) {
    g_statusHandle = RegisterServiceCtrlHandlerExA(g_service->name, handleControl, nullptr);
    if (g_statusHandle == nullptr) {
        return;
    }
    report(SERVICE_START_PENDING, NO_ERROR, 0, kStartWaitHintMs);
    // The registered command line's arguments, then the start's (its first
    // is the service's name).
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) {
        arguments.push_back(__argv[i]);
    }
    for (DWORD i = 1; i < startArgc; ++i) {
        arguments.push_back(startArgv[i]);
    }
    int code = 0;
    try {
        code = g_work(arguments, reportRunning);
    } catch (...) {
        code = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (code == 0) {
        report(SERVICE_STOPPED, NO_ERROR, 0, 0);
    } else {
        report(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR, static_cast<DWORD>(code), 0);
    }
}

// One argument as CommandLineToArgv and the C runtime read it back: quoted
// when it has a space, a tab, a quote or nothing; a quote, and the
// backslashes before a quote or the closing one, escaped.
std::string quotedArgument(const std::string &argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string lastError(const char *what) {
    return std::string(what) + " failed (Windows error " + std::to_string(GetLastError()) + ")";
}

// Closes a service manager's handle when it goes out of scope.
struct ServiceHandle {
    SC_HANDLE handle;
    ~ServiceHandle() {
        if (handle != nullptr) {
            CloseServiceHandle(handle);
        }
    }
};

} // namespace

bool platRunAsService(const PlatService &service, PlatServiceWork work) {
    g_service = &service;
    g_work = work;
    SERVICE_TABLE_ENTRYA table[] = {{const_cast<char *>(service.name), serviceMain},
                                    {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(table) != FALSE;
}

bool platInstallService(const PlatService &service, const std::vector<std::string> &arguments,
                        std::string *problem) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        *problem = lastError("finding this program's path");
        return false;
    }
    std::string commandLine = quotedArgument(std::string(path, length));
    for (const std::string &argument : arguments) {
        commandLine += " " + quotedArgument(argument);
    }
    const ServiceHandle manager{OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE)};
    if (manager.handle == nullptr) {
        *problem = lastError("opening the service control manager");
        return false;
    }
    const ServiceHandle created{
        CreateServiceA(manager.handle, service.name, service.displayName, SERVICE_ALL_ACCESS,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                       commandLine.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr)};
    if (created.handle == nullptr) {
        *problem = lastError(("creating the service " + std::string(service.name)).c_str());
        return false;
    }
    return true;
}

bool platRemoveService(const PlatService &service, std::string *problem) {
    const ServiceHandle manager{OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT)};
    if (manager.handle == nullptr) {
        *problem = lastError("opening the service control manager");
        return false;
    }
    const ServiceHandle existing{OpenServiceA(manager.handle, service.name, DELETE)};
    if (existing.handle == nullptr || !DeleteService(existing.handle)) {
        *problem = lastError(("removing the service " + std::string(service.name)).c_str());
        return false;
    }
    return true;
}
