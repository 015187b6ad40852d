// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "server_options.h"

#include <stddef.h>
#include <stdlib.h>

#include "filesystem.h"

namespace {

struct OptionRow {
    const char *name;
    const char *placeholder; // nullptr: the option takes no value
    const char *help;
    std::string ServerOptions::*text;           // where a value goes
    bool ServerOptions::*flag;                  // or which flag the option sets
    unsigned ServerOptions::*seconds = nullptr; // or where a number of seconds goes
    // Both text and flag: the flag, and the value when the next argument is
    // not an option.
    bool optionalValue = false;
};

// A day: longer than any collector waits, and far from overflowing a
// steady clock's duration.
const unsigned long kMostSeconds = 86400;

const OptionRow kOptions[] = {
    {"--library", "PATH", "the board library to serve (default: the one beside kel_server)",
     &ServerOptions::library, nullptr},
    {"--listen", "ADDRESS:PORT",
     "where to listen (default 127.0.0.1:47820; port 0: the system chooses)",
     &ServerOptions::listen, nullptr},
    {"--record", "DIR", "record each client's session to DIR/client-N.kelrec",
     &ServerOptions::record, nullptr},
    {"--token-file", "FILE", "the token every client proves it holds (needed beyond loopback)",
     &ServerOptions::tokenFile, nullptr},
    {"--log-file", "FILE", "append the log to FILE instead of standard error",
     &ServerOptions::logFile, nullptr},
    {"--metrics-file", "FILE",
     "read the boards' sensors and write them, with the server's state, to FILE for a "
     "textfile collector",
     &ServerOptions::metricsFile, nullptr},
    {"--metrics-interval", "SECONDS", "renew the metrics file every SECONDS (default 15)", nullptr,
     nullptr, &ServerOptions::metricsInterval},
    {"--status", "ADDRESS:PORT",
     "print who holds the board at a running server (default 127.0.0.1:47820) and end",
     &ServerOptions::statusServer, &ServerOptions::status, nullptr, true},
    {"--json", nullptr, "with --status: print one JSON object", nullptr, &ServerOptions::json},
    {"--install-service", nullptr,
     "Windows: register this program, with the other options given, as the service "
     "KelBoardServer",
     nullptr, &ServerOptions::installService},
    {"--remove-service", nullptr, "Windows: remove the service KelBoardServer", nullptr,
     &ServerOptions::removeService},
    {"--help", nullptr, "print this help and end", nullptr, &ServerOptions::help},
    {"--version", nullptr, "print the version and end", nullptr, &ServerOptions::version},
};

const OptionRow *rowNamed(const std::string &name) {
    for (const OptionRow &row : kOptions) {
        if (name == row.name) {
            return &row;
        }
    }
    return nullptr;
}

// A whole number of seconds from 1 to kMostSeconds, in decimal digits only.
bool readSeconds(const std::string &text, unsigned *seconds) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long value = strtoul(text.c_str(), nullptr, 10);
    if (value < 1 || value > kMostSeconds) {
        return false;
    }
    *seconds = static_cast<unsigned>(value);
    return true;
}

std::string synopsis(const OptionRow &row) {
    return row.placeholder == nullptr ? row.name
           : row.optionalValue        ? std::string(row.name) + " [" + row.placeholder + "]"
                                      : std::string(row.name) + " " + row.placeholder;
}

} // namespace

bool parseServerOptions(const std::vector<std::string> &arguments, ServerOptions *options,
                        std::string *problem) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const OptionRow *row = rowNamed(arguments[i]);
        if (row == nullptr) {
            *problem = "unknown argument '" + arguments[i] + "'";
            return false;
        }
        if (row->flag != nullptr) {
            options->*row->flag = true;
            if (row->optionalValue && i + 1 < arguments.size() &&
                arguments[i + 1].compare(0, 2, "--") != 0) {
                options->*row->text = arguments[++i];
            }
            continue;
        }
        if (i + 1 >= arguments.size()) {
            *problem = std::string(row->name) + " wants a value (" + row->placeholder + ")";
            return false;
        }
        const std::string &value = arguments[++i];
        if (row->seconds == nullptr) {
            options->*row->text = value;
        } else if (!readSeconds(value, &(options->*row->seconds))) {
            *problem = std::string(row->name) + " wants a whole number of seconds from 1 to " +
                       std::to_string(kMostSeconds) + ", not '" + value + "'";
            return false;
        }
    }
    if (options->json && !options->status) {
        *problem = "--json goes with --status";
        return false;
    }
    if (options->installService && options->removeService) {
        *problem = "--install-service and --remove-service exclude each other";
        return false;
    }
    return true;
}

std::vector<std::string> withFullPaths(const std::vector<std::string> &arguments) {
    std::vector<std::string> registered;
    for (size_t i = 0; i < arguments.size(); ++i) {
        registered.push_back(arguments[i]);
        const OptionRow *row = rowNamed(arguments[i]);
        if (row == nullptr || row->flag != nullptr || row->placeholder == nullptr ||
            i + 1 >= arguments.size()) {
            continue;
        }
        const std::string placeholder = row->placeholder;
        std::string full = arguments[++i];
        if ((placeholder == "PATH" || placeholder == "DIR" || placeholder == "FILE") &&
            full != "-") {
            platFullPath(arguments[i].c_str(), &full);
        }
        registered.push_back(full);
    }
    return registered;
}

std::string serverUsageLine() {
    std::string line = "usage: kel_server";
    for (const OptionRow &row : kOptions) {
        line += " [" + synopsis(row) + "]";
    }
    return line;
}

std::string serverHelpText() {
    size_t width = 0;
    for (const OptionRow &row : kOptions) {
        width = synopsis(row).size() > width ? synopsis(row).size() : width;
    }
    std::string text = serverUsageLine() + "\n";
    for (const OptionRow &row : kOptions) {
        const std::string left = synopsis(row);
        text += "  " + left + std::string(width - left.size() + 2, ' ') + row.help + "\n";
    }
    return text;
}
