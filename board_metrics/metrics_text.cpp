// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "metrics_text.h"

#include <math.h>

#include <charconv>
#include <string>
#include <vector>

const char *const kRailNames[RAIL_COUNT] = {"vccint", "vccaux", "vrefp", "vrefn"};

namespace {

const char *const kModeNames[CAPTURE_MODE_COUNT] = {"exclusive", "shared", "spy"};
const char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

// The length of the well-formed UTF-8 sequence at text[at], or 0 when there
// is none (overlong forms, surrogates and values past U+10FFFF included).
size_t utf8SequenceLength(const std::string &text, size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        return lead == 0 ? 0 : 1;
    }
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        // Only the second byte has a narrower range.
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

// The samples of one family, written after its HELP and TYPE lines; a
// family without samples is left out whole.
class Family {
public:
    Family(const char *name, const char *type, const char *help)
        : name_(name), type_(type), help_(help) {}

    // labels: the text between the braces, already escaped; empty for none.
    void add(const std::string &labels, const std::string &value) {
        samples_ += name_;
        if (!labels.empty()) {
            samples_ += "{" + labels + "}";
        }
        samples_ += " " + value + "\n";
    }

    void writeTo(std::string *text) const {
        if (samples_.empty()) {
            return;
        }
        *text += std::string("# HELP ") + name_ + " " + help_ + "\n";
        *text += std::string("# TYPE ") + name_ + " " + type_ + "\n";
        *text += samples_;
    }

private:
    const char *name_;
    const char *type_;
    const char *help_;
    std::string samples_;
};

std::string label(const char *name, const std::string &value) {
    return std::string(name) + "=\"" + escapedLabelValue(value) + "\"";
}

std::string boardLabels(const BoardReadings &board) {
    return label("lid", std::to_string(board.lid)) + "," + label("board", board.board);
}

void addBoards(const std::vector<BoardReadings> &boards, std::string *text) {
    Family temperature("kel_board_temperature_celsius", "gauge",
                       "Temperature of the board's system monitor.");
    Family voltage("kel_board_voltage_volts", "gauge", "Voltage of a rail of the board.");
    Family nominal("kel_board_nominal_voltage_volts", "gauge",
                   "Nominal voltage of a rail of the board, as the board states it.");
    Family failures("kel_board_sensor_read_failures_total", "counter",
                    "Sensor reads of the board that the board library failed.");
    for (const BoardReadings &board : boards) {
        const std::string labels = boardLabels(board);
        if (board.temperatureCelsius) {
            temperature.add(labels, sampleValue(*board.temperatureCelsius));
        }
        for (int rail = 0; rail < RAIL_COUNT; ++rail) {
            const std::string railLabels = labels + "," + label("rail", kRailNames[rail]);
            if (board.voltageVolts[rail]) {
                voltage.add(railLabels, sampleValue(*board.voltageVolts[rail]));
            }
            if (board.nominalVolts[rail]) {
                nominal.add(railLabels, sampleValue(*board.nominalVolts[rail]));
            }
        }
        failures.add(labels, std::to_string(board.readFailures));
    }
    for (const Family *family : {&temperature, &voltage, &nominal, &failures}) {
        family->writeTo(text);
    }
}

void addCounts(Family *family, const char *labelName, const std::map<std::string, uint64_t> &counts,
               std::string *text) {
    for (const auto &entry : counts) {
        family->add(label(labelName, entry.first), std::to_string(entry.second));
    }
    family->writeTo(text);
}

void addServer(const ServerState &server, std::string *text) {
    Family clients("kel_server_clients", "gauge", "Clients connected to the board server now.");
    clients.add("", std::to_string(server.clients));
    clients.writeTo(text);

    Family captures("kel_server_captures", "gauge", "Clients holding a service now, per mode.");
    for (const auto &entry : server.captures) {
        for (int mode = 0; mode < CAPTURE_MODE_COUNT; ++mode) {
            captures.add(label("service", entry.first) + "," + label("mode", kModeNames[mode]),
                         std::to_string(entry.second[mode]));
        }
    }
    captures.writeTo(text);

    Family waits("kel_server_capture_waits", "gauge", "Captures waiting for a service now.");
    for (const auto &entry : server.captureWaits) {
        waits.add(label("service", entry.first), std::to_string(entry.second));
    }
    waits.writeTo(text);

    Family calls("kel_server_calls_total", "counter",
                 "Board library calls served, per entry point.");
    addCounts(&calls, "entry_point", server.calls, text);
    Family failed("kel_server_call_failures_total", "counter",
                  "Board library calls that returned a failure status, per entry point.");
    addCounts(&failed, "entry_point", server.callFailures, text);
    Family refused("kel_server_connections_refused_total", "counter",
                   "Connections the board server refused, per reason.");
    addCounts(&refused, "reason", server.refusedConnections, text);
}

} // namespace

std::string escapedLabelValue(const std::string &value) {
    std::string escaped;
    escaped.reserve(value.size());
    size_t at = 0;
    while (at < value.size()) {
        const size_t length = utf8SequenceLength(value, at);
        if (length == 0) {
            escaped += kReplacement;
            ++at;
            continue;
        }
        const char c = value[at];
        if (c == '\\' || c == '"') {
            escaped += '\\';
            escaped += c;
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped.append(value, at, length);
        }
        at += length;
    }
    return escaped;
}

std::string sampleValue(double value) {
    if (isnan(value)) {
        return "NaN";
    }
    if (isinf(value)) {
        return value > 0 ? "+Inf" : "-Inf";
    }
    char buffer[32];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string metricsText(const MetricsSnapshot &snapshot) {
    std::string text;
    addBoards(snapshot.boards, &text);
    addServer(snapshot.server, &text);
    Family info("kel_server_info", "gauge", "The board server's version, as a label; always 1.");
    info.add(label("version", snapshot.version), "1");
    info.writeTo(&text);
    return text;
}
