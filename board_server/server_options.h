// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// kel_server's command line: every option is one row of a table (its name,
// the placeholder of its value, its help line), from which both the parser
// and the usage text are made, so that a new option is one new row.
#ifndef BOARD_SERVER_SERVER_OPTIONS_H
#define BOARD_SERVER_SERVER_OPTIONS_H

#include <string>
#include <vector>

#include "protocol.h"

struct ServerOptions {
    std::string library;
    std::string listen = proto::kDefaultServer;
    std::string record;
    std::string tokenFile;
    std::string logFile;
    std::string metricsFile;       // empty: no metrics
    unsigned metricsInterval = 15; // seconds
    bool status = false;           // ask a running server who holds the board
    std::string statusServer = proto::kDefaultServer;
    bool json = false;
    bool installService = false;
    bool removeService = false;
    bool help = false;
    bool version = false;
};

// Reads the arguments (the program's, or a service's start arguments);
// false with the usage error's first line (naming the argument at fault) in
// *problem.
bool parseServerOptions(const std::vector<std::string> &arguments, ServerOptions *options,
                        std::string *problem);

// The arguments as a service is registered with them: each relative path
// an option names (a PATH, DIR or FILE) made full against the current
// directory, as a service starts in the system's folder. Standard input's
// "-" stays as it is. The arguments have been parsed already.
std::vector<std::string> withFullPaths(const std::vector<std::string> &arguments);

// "usage: kel_server [--library PATH] ...", one line.
std::string serverUsageLine();

// The usage line, then each option with its help, one line each.
std::string serverHelpText();

#endif
