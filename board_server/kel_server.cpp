// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// kel_server [--library PATH] [--listen ADDRESS:PORT] [--record DIR] [--token-file FILE]
//            [--log-file FILE] [--install-service | --remove-service]
//
// Serves one board library to any number of programs that use the remote
// board library. Prints "listening on ADDRESS:PORT" on standard output once
// it accepts connections; logs arrivals, departures and what was given back
// on standard error (or appended to the --log-file), each line after its
// time unless standard error is the system journal. A termination request (SIGTERM, SIGINT; Ctrl+C
// or a closed console on Windows) gives back what every client holds, shuts the library down and
// ends with status 0. An address other than loopback needs a token file: every client then proves
// it holds the token.
//
// On Windows it also runs as the service KelBoardServer, which
// --install-service registers with the other options given and
// --remove-service removes; a stop control is a termination request.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "authentication.h"
#include "board_broker.h"
#include "connection_loop.h"
#include "filesystem.h"
#include "journal_stream.h"
#include "log_clock.h"
#include "messages.h"
#include "protocol.h"
#include "real_library.h"
#include "remote_status.h"
#include "server_log.h"
#include "service_control.h"
#include "socket_link.h"
#include "stop_request.h"

namespace {

#ifdef _WIN32
const char *const kLibraryFileName = "KEL.dll";
#else
const char *const kLibraryFileName = "libKEL.so";
#endif

// Where the library served without --library is looked for, from the
// server's own directory, the first found winning: beside the server (the
// build tree, the Windows folder); then, as the Linux package lays it out,
// the operator's library and the simulated one, in the order the programs
// find theirs.
const char *const kLibraryFolders[] = {
    "",
#ifdef KEL_PACKAGE_OPERATOR_LIBRARY
    KEL_PACKAGE_OPERATOR_LIBRARY,
    KEL_PACKAGE_SIMULATED_LIBRARY,
#endif
};

std::string defaultLibrary() {
    const std::string here = platProgramDirectory();
    for (const char *folder : kLibraryFolders) {
        const std::string path =
            platJoinPath(folder[0] == '\0' ? here : platJoinPath(here, folder), kLibraryFileName);
        if (platCanOpenForReading(path.c_str())) {
            return path;
        }
    }
    // None there: the refusal names the place beside the server.
    return platJoinPath(here, kLibraryFileName);
}

const PlatService kService = {"KelBoardServer", "KEL board server"};

// Where a service without --log-file, or whose --log-file cannot be
// opened, says why it stopped: the service has no standard error.
const char *const kServiceFallbackLog = "kel_server.log";

// Why the server did not start; the Windows service reports the code as
// its specific exit code, a console start ends with status 1.
enum StartRefusal {
    kStarted = 0,
    kRefusedOptions = 1,
    kRefusedLogFile = 2,
    kRefusedLibrary = 3,
    kRefusedAddress = 4,
    kRefusedToken = 5,
    kRefusedListen = 6,
    kRefusedSockets = 7,
    kRefusedMemory = 8,
};

struct Options {
    std::string library;
    std::string listen = proto::kDefaultServer;
    std::string record;
    std::string tokenFile;
    std::string logFile;
    bool installService = false;
    bool removeService = false;
};

const char *const kUsage = "usage: kel_server [--library PATH] [--listen ADDRESS:PORT] "
                           "[--record DIR] [--token-file FILE] [--log-file FILE] "
                           "[--install-service | --remove-service]";

bool parseOptions(const std::vector<std::string> &arguments, Options *options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &option = arguments[i];
        if (option == "--install-service" || option == "--remove-service") {
            (option == "--install-service" ? options->installService : options->removeService) =
                true;
            continue;
        }
        std::string *value = option == "--library"      ? &options->library
                             : option == "--listen"     ? &options->listen
                             : option == "--record"     ? &options->record
                             : option == "--token-file" ? &options->tokenFile
                             : option == "--log-file"   ? &options->logFile
                                                        : nullptr;
        if (value == nullptr || i + 1 >= arguments.size()) {
            return false;
        }
        *value = arguments[++i];
    }
    return !(options->installService && options->removeService);
}

// Where the reasons for a refused start go: standard error from a console,
// the log file (timed, as its other lines) for the service.
FILE *g_refusals = stderr;
bool g_timedRefusals = false;

int refuseStart(StartRefusal code, const std::string &why) {
    fprintf(g_refusals, "%s\n", timedLogLine(why, g_timedRefusals).c_str());
    fflush(g_refusals);
    return code;
}

// Only this host can reach an address of the loopback network. A host name
// that merely begins with "127." is no such address.
bool isLoopback(const std::string &address) {
    return address == "localhost" || address == "::1" ||
           (address.compare(0, 4, "127.") == 0 &&
            address.find_first_not_of("0123456789.") == std::string::npos);
}

// Serves until a stop request; kStarted then, else why it did not start.
// running() is told once it listens.
int serve(const Options &options, FILE *log, bool timedLog, void (*running)()) {
    ServerSettings settings;
    settings.libraryPath = options.library.empty() ? defaultLibrary() : options.library;
    settings.recordDirectory = options.record;
    RealLibrary real{};
    std::string problem;
    if (!loadRealLibrary(settings.libraryPath.c_str(), &real, &problem)) {
        return refuseStart(kRefusedLibrary, problem);
    }
    std::string address;
    uint16_t port = 0;
    if (!platSplitAddress(options.listen, &address, &port)) {
        return refuseStart(kRefusedAddress,
                           "--listen wants ADDRESS:PORT, not '" + options.listen + "'");
    }
    if (options.tokenFile.empty() && !isLoopback(address)) {
        return refuseStart(kRefusedAddress, "listening on " + address +
                                                ", which other hosts can reach, needs --token-file "
                                                "(or listen on 127.0.0.1 and use an SSH tunnel)");
    }
    if (!options.tokenFile.empty() &&
        !proto::readTokenFile(options.tokenFile, &settings.token, &problem)) {
        return refuseStart(kRefusedToken, problem);
    }
    uint16_t boundPort = 0;
    const PlatSocket listener = platListen(address, port, &boundPort, &problem);
    if (listener == kNoSocket) {
        return refuseStart(kRefusedListen, "cannot listen on " + options.listen + ": " + problem);
    }
    startServerLog(log, timedLog);
    logLine("serving the board library " + settings.libraryPath);
    logLine(settings.token.empty() ? "clients are not authenticated (listening on loopback)"
                                   : "clients authenticate with the token of " + options.tokenFile);
    printf("listening on %s:%u\n", address.c_str(), static_cast<unsigned>(boundPort));
    fflush(stdout);
    running();

    BoardBroker broker(real);
    serveConnections(listener, &broker, settings, [] { return platStopStatus() != 0; });
    platCloseSocket(listener);
    logLine("stopped");
    stopServerLog();
    return kStarted;
}

int startAndServe(const Options &options, FILE *log, bool timedLog, void (*running)()) {
    platWatchStopRequests();
    platIgnoreBrokenPipes();
    std::string problem;
    if (!platSocketsStart(&problem)) {
        return refuseStart(kRefusedSockets, problem);
    }
    try {
        return serve(options, log, timedLog, running);
    } catch (...) {
        return refuseStart(kRefusedMemory, "out of memory");
    }
}

// The service's start: everything it says goes to its log file, since
// the service control manager shows no standard error.
int runService(const std::vector<std::string> &arguments, void (*running)()) {
    Options options;
    const bool understood =
        parseOptions(arguments, &options) && !options.installService && !options.removeService;
    FILE *log = options.logFile.empty() ? nullptr : platOpenAppendFile(options.logFile.c_str());
    const bool fellBack = log == nullptr;
    if (fellBack) {
        const std::string beside = platJoinPath(platProgramDirectory(), kServiceFallbackLog);
        log = platOpenAppendFile(beside.c_str());
        if (log == nullptr) {
            return kRefusedLogFile; // nowhere to say more than the code
        }
    }
    g_refusals = log;
    g_timedRefusals = true;
    int code = kStarted;
    if (!understood) {
        std::string given;
        for (const std::string &argument : arguments) {
            given += " " + argument;
        }
        code = refuseStart(kRefusedOptions,
                           "the service's options are not understood:" + given + "; " + kUsage);
    } else if (fellBack && !options.logFile.empty()) {
        code =
            refuseStart(kRefusedLogFile, "cannot append to the log file '" + options.logFile + "'");
    } else {
        code = startAndServe(options, log, true, running);
    }
    if (code != kStarted) {
        refuseStart(static_cast<StartRefusal>(code),
                    "the service " + std::string(kService.name) + " stopped without serving (" +
                        "service-specific error " + std::to_string(code) + ")");
    }
    return code;
}

int manageService(const std::vector<std::string> &arguments, const Options &options) {
    std::vector<std::string> serviceArguments;
    for (const std::string &argument : arguments) {
        if (argument != "--install-service") {
            serviceArguments.push_back(argument);
        }
    }
    std::string problem;
    const bool done = options.installService
                          ? platInstallService(kService, serviceArguments, &problem)
                          : platRemoveService(kService, &problem);
    if (!done) {
        fprintf(stderr, "kel_server: %s\n", problem.c_str());
        return 1;
    }
    printf(options.installService ? "installed the service %s, which starts with the system\n"
                                  : "removed the service %s\n",
           kService.name);
    return 0;
}

void consoleRunning() {}

} // namespace

int main(int argc, char **argv) {
    // Under the service control manager this returns once the service
    // stopped; from a console at once.
    if (platRunAsService(kService, runService)) {
        return 0;
    }
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    Options options;
    if (!parseOptions(arguments, &options)) {
        fprintf(stderr, "%s\n", kUsage);
        return 1;
    }
    if (options.installService || options.removeService) {
        return manageService(arguments, options);
    }
    FILE *log = stderr;
    if (!options.logFile.empty() &&
        (log = platOpenAppendFile(options.logFile.c_str())) == nullptr) {
        fprintf(stderr, "kel_server: cannot append to the log file '%s'\n",
                options.logFile.c_str());
        return 1;
    }
    const bool timedLog = log != stderr || !platStandardErrorIsJournal();
    return startAndServe(options, log, timedLog, consoleRunning) == kStarted ? 0 : 1;
}
