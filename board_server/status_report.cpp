// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "status_report.h"

#include <stdio.h>

#include "books_text.h"
#include "hex_status.h"
#include "recording_text.h"

namespace {

long long secondsBetween(WallClock::time_point from, WallClock::time_point to) {
    const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(to - from).count();
    return seconds < 0 ? 0 : seconds; // another host's clock may lag
}

// "2 d 3 h 4 min 5 s", the larger units only when there are any.
std::string durationText(long long seconds) {
    const long long units[] = {86400, 3600, 60, 1};
    const char *const names[] = {"d", "h", "min", "s"};
    std::string text;
    for (size_t i = 0; i < 4; ++i) {
        const long long count = seconds / units[i];
        seconds %= units[i];
        if (count > 0 || (i == 3 && text.empty())) {
            text += (text.empty() ? "" : " ") + std::to_string(count) + " " + names[i];
        }
    }
    return text;
}

std::string quoted(const std::string &text) { return rec::quotedText(text.c_str(), text.size()); }

// A JSON string of any bytes: the names come from the clients. Bytes past
// ASCII are taken as Latin-1 so that the object is always valid JSON.
std::string jsonString(const std::string &text) {
    std::string json = "\"";
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string jsonField(const char *name, const std::string &value, bool last = false) {
    return jsonString(name) + ": " + value + (last ? "" : ", ");
}

template <typename Entry, typename Format>
std::string jsonList(const std::vector<Entry> &entries, Format format) {
    std::string json = "[";
    for (size_t i = 0; i < entries.size(); ++i) {
        json += (i == 0 ? "" : ", ") + format(entries[i]);
    }
    return json + "]";
}

} // namespace

std::string statusText(const ServerStatus &status) {
    std::string text = "board library " + status.library +
                       (status.books.libraryStarted ? " (started)" : " (not started)") +
                       "\nserver up " + durationText(secondsBetween(status.started, status.now)) +
                       ", since " + isoTimeText(status.started) + "\n";
    if (status.books.clients.empty()) {
        return text + "no clients\n";
    }
    for (const ClientState &client : status.books.clients) {
        text += "client " + std::to_string(client.number) + "  " + quoted(client.identity.name) +
                "  from " + client.identity.address + ", connected since " +
                isoTimeText(client.connected) + "\n";
        for (const HeldService &held : client.holdings) {
            text += "    holds     " + held.service + " on board " + hexText(held.lid) + " (" +
                    modeName(held.mode) + ") since " + isoTimeText(held.since) + "\n";
        }
        for (const WaitedService &waited : client.waits) {
            text += "    waits for " + waited.service + " on board " + hexText(waited.lid) + " (" +
                    modeName(waited.mode) + ") since " + isoTimeText(waited.since) + ", for " +
                    durationText(secondsBetween(waited.since, status.now)) + "\n";
        }
    }
    return text;
}

std::string statusJson(const ServerStatus &status) {
    const auto held = [](const HeldService &entry) {
        return "{" + jsonField("service", jsonString(entry.service)) +
               jsonField("lid", std::to_string(entry.lid)) +
               jsonField("mode", jsonString(modeName(entry.mode))) +
               jsonField("handle", std::to_string(entry.handle)) +
               jsonField("since", jsonString(isoTimeText(entry.since)), true) + "}";
    };
    const auto waited = [](const WaitedService &entry) {
        return "{" + jsonField("service", jsonString(entry.service)) +
               jsonField("lid", std::to_string(entry.lid)) +
               jsonField("mode", jsonString(modeName(entry.mode))) +
               jsonField("since", jsonString(isoTimeText(entry.since)), true) + "}";
    };
    const auto client = [&](const ClientState &entry) {
        return "{" + jsonField("number", std::to_string(entry.number)) +
               jsonField("name", jsonString(entry.identity.name)) +
               jsonField("address", jsonString(entry.identity.address)) +
               jsonField("connected", jsonString(isoTimeText(entry.connected))) +
               jsonField("captures", jsonList(entry.holdings, held)) +
               jsonField("waiting", jsonList(entry.waits, waited), true) + "}";
    };
    return "{" + jsonField("library", jsonString(status.library)) +
           jsonField("library_started", status.books.libraryStarted ? "true" : "false") +
           jsonField("since", jsonString(isoTimeText(status.started))) +
           jsonField("uptime_seconds", std::to_string(secondsBetween(status.started, status.now))) +
           jsonField("clients", jsonList(status.books.clients, client), true) + "}\n";
}
