// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// kel_server [OPTION...]; kel_server --help lists them. kel_server --status
// [ADDRESS:PORT] asks a running server who holds the board instead.
//
// Serves one board library to any number of programs that use the remote
// board library. Prints "listening on ADDRESS:PORT" on standard output once
// it accepts connections; logs arrivals, departures and what was given back
// on standard error (or --log-file), each line after its time. Run by
// Windows' service control manager it is the service KelBoardServer. A
// termination request (SIGTERM, SIGINT; Ctrl+C or a
// closed console on Windows) gives back what every client holds, shuts the
// library down and ends with status 0. An address other than loopback
// needs a token file: every client then proves it holds the token.
#include <stdio.h>
#include <string.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "authentication.h"
#include "board_broker.h"
#include "connection_loop.h"
#include "filesystem.h"
#include "journal_stream.h"
#include "log_clock.h"
#include "messages.h"
#include "metrics_writer.h"
#include "project_version.h"
#include "protocol.h"
#include "real_library.h"
#include "remote_status.h"
#include "server_log.h"
#include "server_options.h"
#include "service_control.h"
#include "socket_link.h"
#include "status_query.h"
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

// The recordings' folder is tried at start, as a client's first recording
// would write there: a folder that is missing or cannot be written would
// otherwise leave every client unrecorded, with a line per client.
bool canWriteIn(const std::string &folder) {
    const std::string probe =
        platJoinPath(folder, (".kel_server-" + std::to_string(platProcessNumber())).c_str());
    FILE *file = platOpenNewFile(probe.c_str());
    if (file == nullptr) {
        return false;
    }
    fclose(file);
    remove(probe.c_str());
    return true;
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

// Where the reasons for a refused start go: standard error from a console,
// the log file (timed, as its other lines) for the service.
FILE *g_refusals = stderr;
bool g_timedRefusals = false;

int refuseStart(StartRefusal code, const std::string &why) {
    fprintf(g_refusals, "%s\n", timedLogLine(why, g_timedRefusals).c_str());
    fflush(g_refusals);
    return code;
}

// Serves until a stop request; kStarted then, else why it did not start.
// running() is told once it listens.
int serve(const ServerOptions &options, FILE *log, bool timedLog, void (*running)()) {
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
    if (!options.record.empty() && !canWriteIn(options.record)) {
        return refuseStart(kRefusedOptions, "cannot write recordings in '" + options.record +
                                                "' (--record wants a folder this user may write)");
    }
    if (!options.tokenFile.empty() &&
        !proto::readTokenFile(options.tokenFile, &settings.token, &problem)) {
        return refuseStart(kRefusedToken, problem);
    }
    // Whether other hosts reach the server is judged by what the name
    // resolves to and what is bound, never by how the name is spelt: a
    // hosts file may map "localhost" anywhere.
    uint16_t boundPort = 0;
    bool beyondLoopback = true;
    const PlatSocket listener = platListen(address, port, &boundPort, &problem, &beyondLoopback);
    if (listener == kNoSocket) {
        return refuseStart(kRefusedListen, "cannot listen on " + options.listen + ": " + problem);
    }
    if (beyondLoopback && settings.token.empty()) {
        platCloseSocket(listener);
        return refuseStart(kRefusedAddress, "listening on " + address +
                                                ", which other hosts can reach, needs --token-file "
                                                "(or listen on 127.0.0.1 and use an SSH tunnel)");
    }
    BoardBroker broker(real);
    // The metrics file is written once before the server listens, so that
    // one it cannot write is refused at start like the other options.
    std::unique_ptr<MetricsWriter> metrics;
    std::string untaken;
    if (!options.metricsFile.empty()) {
        metrics.reset(new MetricsWriter(&broker, options.metricsFile));
        if (!metrics->begin(&untaken, &problem)) {
            metrics.reset();
            platCloseSocket(listener);
            return refuseStart(kRefusedOptions, problem + " (--metrics-file wants a file in a "
                                                          "folder this user may write)");
        }
    }
    startServerLog(log, timedLog);
    logLine("serving the board library " + settings.libraryPath);
    if (metrics) {
        logLine("metrics written to " + options.metricsFile + " every " +
                std::to_string(options.metricsInterval) + " s" +
                (untaken.empty() ? "" : ", without readings: " + untaken));
        metrics->renewEvery(std::chrono::seconds(options.metricsInterval));
    }
    logLine(settings.token.empty() ? "clients are not authenticated (listening on loopback)"
                                   : "clients authenticate with the token of " + options.tokenFile);
    printf("listening on %s:%u\n", address.c_str(), static_cast<unsigned>(boundPort));
    fflush(stdout);
    running();

    serveConnections(listener, &broker, settings, [] { return platStopStatus() != 0; });
    platCloseSocket(listener);
    // After every client's give-back: the reader's shutdown is then the
    // last client's.
    metrics.reset();
    logLine("stopped");
    stopServerLog();
    return kStarted;
}

int startAndServe(const ServerOptions &options, FILE *log, bool timedLog, void (*running)()) {
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
    ServerOptions options;
    std::string problem;
    const bool understood = parseServerOptions(arguments, &options, &problem) &&
                            !options.installService && !options.removeService && !options.help &&
                            !options.version && !options.status;
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
        code = refuseStart(kRefusedOptions, "the service's options are not understood:" + given +
                                                "; " + serverUsageLine());
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

int manageService(const std::vector<std::string> &arguments, const ServerOptions &options) {
    std::vector<std::string> serviceArguments;
    for (const std::string &argument : arguments) {
        if (argument != "--install-service") {
            serviceArguments.push_back(argument);
        }
    }
    std::string problem;
    const bool done = options.installService
                          ? platInstallService(kService, withFullPaths(serviceArguments), &problem)
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
    ServerOptions options;
    std::string problem;
    if (!parseServerOptions(arguments, &options, &problem)) {
        fprintf(stderr, "kel_server: %s\n%s\n", problem.c_str(), serverUsageLine().c_str());
        return 1;
    }
    if (options.help || options.version) {
        fputs(options.help ? serverHelpText().c_str()
                           : "kel_server " KEL_PROJECT_NAME " " KEL_PROJECT_VERSION "\n",
              stdout);
        return 0;
    }
    if (options.installService || options.removeService) {
        return manageService(arguments, options);
    }
    if (options.status) {
        // The query's connection needs the system's sockets too (Winsock
        // must be started before any call on Windows).
        platIgnoreBrokenPipes();
        if (!platSocketsStart(&problem)) {
            fprintf(stderr, "kel_server: %s\n", problem.c_str());
            return 1;
        }
        return queryServerStatus(options.statusServer, options.tokenFile, options.json);
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
