// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// kel_server [OPTION...]; kel_server --help lists them.
//
// Serves one board library to any number of programs that use the remote
// board library. Prints "listening on ADDRESS:PORT" on standard output once
// it accepts connections; logs arrivals, departures and what was given back
// on standard error. A termination request (SIGTERM, SIGINT; Ctrl+C or a
// closed console on Windows) gives back what every client holds, shuts the
// library down and ends with status 0. An address other than loopback
// needs a token file: every client then proves it holds the token.
#include <stdio.h>
#include <string.h>

#include <string>

#include "authentication.h"
#include "board_broker.h"
#include "connection_loop.h"
#include "filesystem.h"
#include "messages.h"
#include "project_version.h"
#include "protocol.h"
#include "real_library.h"
#include "remote_status.h"
#include "server_log.h"
#include "server_options.h"
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

int serve(const ServerOptions &options) {
    ServerSettings settings;
    settings.libraryPath = options.library.empty() ? defaultLibrary() : options.library;
    settings.recordDirectory = options.record;
    RealLibrary real{};
    std::string problem;
    if (!loadRealLibrary(settings.libraryPath.c_str(), &real, &problem)) {
        fprintf(stderr, "kel_server: %s\n", problem.c_str());
        return 1;
    }
    std::string address;
    uint16_t port = 0;
    if (!platSplitAddress(options.listen, &address, &port)) {
        fprintf(stderr, "kel_server: --listen wants ADDRESS:PORT, not '%s'\n",
                options.listen.c_str());
        return 1;
    }
    if (!options.record.empty() && !canWriteIn(options.record)) {
        fprintf(stderr,
                "kel_server: cannot write recordings in '%s' (--record wants a folder "
                "this user may write)\n",
                options.record.c_str());
        return 1;
    }
    if (!options.tokenFile.empty() &&
        !proto::readTokenFile(options.tokenFile, &settings.token, &problem)) {
        fprintf(stderr, "kel_server: %s\n", problem.c_str());
        return 1;
    }
    // Whether other hosts reach the server is judged by what the name
    // resolves to and what is bound, never by how the name is spelt: a
    // hosts file may map "localhost" anywhere.
    uint16_t boundPort = 0;
    bool beyondLoopback = true;
    const PlatSocket listener = platListen(address, port, &boundPort, &problem, &beyondLoopback);
    if (listener == kNoSocket) {
        fprintf(stderr, "kel_server: cannot listen on %s: %s\n", options.listen.c_str(),
                problem.c_str());
        return 1;
    }
    if (beyondLoopback && settings.token.empty()) {
        platCloseSocket(listener);
        fprintf(stderr,
                "kel_server: listening on %s, which other hosts can reach, needs --token-file "
                "(or listen on 127.0.0.1 and use an SSH tunnel)\n",
                address.c_str());
        return 1;
    }
    startServerLog();
    logLine("serving the board library " + settings.libraryPath);
    logLine(settings.token.empty() ? "clients are not authenticated (listening on loopback)"
                                   : "clients authenticate with the token of " + options.tokenFile);
    printf("listening on %s:%u\n", address.c_str(), static_cast<unsigned>(boundPort));
    fflush(stdout);

    BoardBroker broker(real);
    serveConnections(listener, &broker, settings, [] { return platStopStatus() != 0; });
    platCloseSocket(listener);
    logLine("stopped");
    stopServerLog();
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    ServerOptions options;
    std::string problem;
    if (!parseServerOptions(argc, argv, &options, &problem)) {
        fprintf(stderr, "kel_server: %s\n%s\n", problem.c_str(), serverUsageLine().c_str());
        return 1;
    }
    if (options.help || options.version) {
        fputs(options.help ? serverHelpText().c_str()
                           : "kel_server " KEL_PROJECT_NAME " " KEL_PROJECT_VERSION "\n",
              stdout);
        return 0;
    }
    platWatchStopRequests();
    platIgnoreBrokenPipes();
    if (!platSocketsStart(&problem)) {
        fprintf(stderr, "kel_server: %s\n", problem.c_str());
        return 1;
    }
    try {
        return serve(options);
    } catch (...) {
        fprintf(stderr, "kel_server: out of memory\n");
        return 1;
    }
}
