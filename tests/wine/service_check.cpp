// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// service_check KEL_SERVER_EXE
//
// The board server as a Windows service, through the service control
// manager as the system drives it: installed with --install-service on a
// free loopback port, started, RUNNING once it listens, a client greeted,
// stopped with the stopping lines in its log, removed. Then services that
// cannot start (a library that is not there, an option it does not know)
// reach STOPPED with their own code within seconds, never staying in
// START_PENDING. Ends with status 0 when all held, else 1 with the reason.
#include <stdio.h>
#include <windows.h>

#include <string>

#include "environment_file.h"
#include "messages.h"
#include "protocol.h"
#include "socket_link.h"

namespace {

const char *const kServiceName = "KelBoardServer";
const DWORD kStateWaitMs = 30000;
const DWORD kFailedStartWaitMs = 10000;
const DWORD kPollMs = 50;
// A new prefix's service database stays locked while its first start
// brings up Wine's own services: seconds, longer under load.
const DWORD kDatabaseLockWaitMs = 60000;

bool fail(const std::string &why) {
    printf("FAIL: %s\n", why.c_str());
    fflush(stdout);
    return false;
}

// Under Wine, CTest names the program by its Unix path: drive Z: is the
// Unix root.
std::string windowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char &c : path) {
        c = c == '/' ? '\\' : c;
    }
    return path;
}

bool runToEnd(const std::string &commandLine, DWORD *status) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return fail("cannot start " + commandLine);
    }
    const bool ended = WaitForSingleObject(process.hProcess, kStateWaitMs) == WAIT_OBJECT_0;
    GetExitCodeProcess(process.hProcess, status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return ended || fail(commandLine + " did not end");
}

// Waits until the service reaches `state` (or stops on its way there).
bool waitForState(SC_HANDLE service, DWORD state, DWORD waitMs, SERVICE_STATUS *status) {
    for (DWORD waited = 0;; waited += kPollMs) {
        if (!QueryServiceStatus(service, status)) {
            return fail("QueryServiceStatus failed: " + std::to_string(GetLastError()));
        }
        if (status->dwCurrentState == state) {
            return true;
        }
        if (status->dwCurrentState == SERVICE_STOPPED || waited >= waitMs) {
            return fail("the service is in state " + std::to_string(status->dwCurrentState) +
                        ", not " + std::to_string(state) + " (exit code " +
                        std::to_string(status->dwWin32ExitCode) + ", its own " +
                        std::to_string(status->dwServiceSpecificExitCode) + ")");
        }
        Sleep(kPollMs);
    }
}

// Installs the service through the server's own --install-service, opens
// and starts it. A new prefix's service database stays locked (1055) until
// its first start settles: the start is tried again meanwhile.
SC_HANDLE installAndStart(const std::string &server, const std::string &options,
                          const char *startArgument = nullptr) {
    DWORD status = 1;
    if (!runToEnd("\"" + server + "\" --install-service " + options, &status) || status != 0) {
        fail("--install-service " + options + " ended with status " + std::to_string(status));
        return nullptr;
    }
    const SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service =
        manager == nullptr ? nullptr : OpenServiceA(manager, kServiceName, SERVICE_ALL_ACCESS);
    const DWORD error = GetLastError();
    if (manager != nullptr) {
        CloseServiceHandle(manager);
    }
    if (service == nullptr) {
        // 1060 right after a successful install: another service control
        // manager, with a database of its own, answered (see
        // run-windows-suite.sh on Wine's first start).
        fail("the service installed a moment ago cannot be opened: " + std::to_string(error));
        return nullptr;
    }
    // The service gets the start's arguments after its name.
    const char *startArguments[] = {startArgument};
    for (DWORD waited = 0; !StartServiceA(service, startArgument != nullptr ? 1 : 0,
                                          startArgument != nullptr ? startArguments : nullptr);
         waited += kPollMs) {
        const DWORD error = GetLastError();
        if (error != ERROR_SERVICE_DATABASE_LOCKED || waited >= kDatabaseLockWaitMs) {
            fail("StartService failed: " + std::to_string(error) +
                 (error == ERROR_SERVICE_DATABASE_LOCKED ? " (the service database stayed locked)"
                                                         : ""));
            CloseServiceHandle(service);
            return nullptr;
        }
        Sleep(kPollMs);
    }
    return service;
}

bool removeService(const std::string &server, SC_HANDLE service) {
    CloseServiceHandle(service); // a handle left open keeps the name taken
    DWORD status = 1;
    return (runToEnd("\"" + server + "\" --remove-service", &status) && status == 0) ||
           fail("--remove-service ended with status " + std::to_string(status));
}

// What an aborted earlier run or a failed case left registered: the
// service starts with the system, so one left behind would start with
// every later start of the prefix.
void removeLeftOver() {
    const SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service =
        manager == nullptr ? nullptr : OpenServiceA(manager, kServiceName, SERVICE_STOP | DELETE);
    if (service != nullptr) {
        SERVICE_STATUS status;
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        DeleteService(service);
        CloseServiceHandle(service);
    }
    if (manager != nullptr) {
        CloseServiceHandle(manager);
    }
}

std::string logText(const std::string &path) {
    std::string text;
    platReadFile(path.c_str(), &text);
    return text;
}

bool waitForLog(const std::string &path, const std::string &text) {
    for (DWORD waited = 0; logText(path).find(text) == std::string::npos; waited += kPollMs) {
        if (waited >= kStateWaitMs) {
            return fail("the log never said '" + text + "':\n" + logText(path));
        }
        Sleep(kPollMs);
    }
    return true;
}

bool servesAndStops(const std::string &server, const std::string &folder) {
    std::string problem;
    uint16_t port = 0;
    const PlatSocket probe = platListen("127.0.0.1", 0, &port, &problem);
    if (probe == kNoSocket) {
        return fail("no free port: " + problem);
    }
    platCloseSocket(probe);
    const std::string log = folder + "\\served.log";
    DeleteFileA(log.c_str());
    // Registered from the folder with a relative log file, as an operator
    // does from the program's folder: the service, which starts in the
    // system's folder, must log there all the same.
    if (!SetCurrentDirectoryA(folder.c_str())) {
        return fail("cannot go to " + folder);
    }
    const SC_HANDLE service = installAndStart(server, "--listen 127.0.0.1:" + std::to_string(port) +
                                                          " --log-file served.log");
    SERVICE_STATUS status;
    if (service == nullptr || !waitForState(service, SERVICE_RUNNING, kStateWaitMs, &status)) {
        printf("the service's log:\n%s", logText(log).c_str());
        return false;
    }
    printf("RUNNING on 127.0.0.1:%u\n", static_cast<unsigned>(port));
    const PlatSocket client = platConnect("127.0.0.1", port, 5000, &problem);
    const proto::Bytes hello =
        proto::helloFrame("service_check", proto::Bytes(proto::kChallengeBytes, 0));
    if (client == kNoSocket || !platSendAll(client, hello.data(), hello.size(), 5000, &problem)) {
        return fail("cannot greet the service: " + problem);
    }
    const bool greeted = waitForLog(log, "(\"service_check\", 127.0.0.1) arrived");
    platCloseSocket(client);
    if (!greeted) {
        return false;
    }
    if (!ControlService(service, SERVICE_CONTROL_STOP, &status) ||
        !waitForState(service, SERVICE_STOPPED, kStateWaitMs, &status)) {
        return fail("the service did not stop: " + std::to_string(GetLastError()));
    }
    const std::string text = logText(log);
    printf("STOPPED with exit code %lu; its log:\n%s", status.dwWin32ExitCode, text.c_str());
    if (status.dwWin32ExitCode != NO_ERROR ||
        text.find(" kel_server: stopping: giving back what every client holds\n") ==
            std::string::npos ||
        text.find(" kel_server: stopped\n") == std::string::npos) {
        return fail("the service did not stop as a stop request stops the server");
    }
    return removeService(server, service);
}

struct FailedStart {
    const char *options;       // registered, after --log-file
    const char *startArgument; // given to the start, null for none
    DWORD code;                // the service's own exit code
    const char *logged;
};

bool stopsWithItsCode(const std::string &server, const std::string &folder,
                      const FailedStart &start) {
    const std::string log = folder + "\\failed-" + std::to_string(start.code) + ".log";
    DeleteFileA(log.c_str());
    const SC_HANDLE service = installAndStart(
        server, "--log-file \"" + log + "\" " + std::string(start.options), start.startArgument);
    if (service == nullptr) {
        return false;
    }
    SERVICE_STATUS status;
    const DWORD began = GetTickCount();
    const bool stopped = waitForState(service, SERVICE_STOPPED, kFailedStartWaitMs, &status);
    const std::string text = logText(log);
    printf("%s%s: STOPPED after %lu ms with exit code %lu, its own %lu; its log:\n%s",
           start.options, start.startArgument != nullptr ? start.startArgument : "",
           GetTickCount() - began, status.dwWin32ExitCode, status.dwServiceSpecificExitCode,
           text.c_str());
    const bool held = stopped && status.dwWin32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR &&
                      status.dwServiceSpecificExitCode == start.code &&
                      text.find(start.logged) != std::string::npos;
    const bool removed = removeService(server, service);
    return (held || fail(std::string(start.options) + ": not stopped as it should")) && removed;
}

} // namespace

int main(int argc, char **argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::string problem;
    if (argc != 2 || !platSocketsStart(&problem)) {
        fprintf(stderr, "usage: service_check KEL_SERVER_EXE\n");
        return 1;
    }
    const std::string server = windowsPath(argv[1]);
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof temp, temp);
    const std::string folder =
        std::string(temp, length) + "kel-service-check-" + std::to_string(GetCurrentProcessId());
    // A process number comes again: an earlier run's folder is reused.
    if (length == 0 ||
        (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)) {
        return fail("cannot make " + folder) ? 0 : 1;
    }
    removeLeftOver();
    const FailedStart failedStarts[] = {
        {"--library C:\\no-such-folder\\KEL.dll", nullptr, 3, "kel_server: cannot load"},
        // --install-service refuses what the server does not understand,
        // so the start brings it.
        {"", "--no-such-option", 1, "kel_server: the service's options are not understood"},
    };
    bool held = servesAndStops(server, folder);
    removeLeftOver();
    for (const FailedStart &start : failedStarts) {
        held = stopsWithItsCode(server, folder, start) && held;
        removeLeftOver();
    }
    printf(held ? "service check passed\n" : "service check failed\n");
    return held ? 0 : 1;
}
