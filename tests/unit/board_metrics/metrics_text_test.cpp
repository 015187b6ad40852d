// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>

#include <string>

#include "metrics_text.h"
#include "sample_snapshot.h"

namespace {

size_t occurrences(const std::string &text, const std::string &part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(MetricsText, EveryFamilyOnceWithHelpAndTypeAndNoValueNotRead) {
    const std::string text = metricsText(sampleSnapshot());
    const std::string board = "lid=\"7\",board=\"SIM-DDS3U\"";
    for (const std::string &line : {
             "kel_board_temperature_celsius{" + board + "} 41.25\n",
             "kel_board_voltage_volts{" + board + ",rail=\"vccint\"} 1\n",
             "kel_board_voltage_volts{" + board + ",rail=\"vrefp\"} 1.249\n",
             "kel_board_nominal_voltage_volts{" + board + ",rail=\"vrefn\"} 0\n",
             "kel_board_sensor_read_failures_total{" + board + "} 3\n",
             std::string("kel_server_clients 2\n"),
             std::string("kel_server_captures{service=\"SYSMON0\",mode=\"exclusive\"} 0\n"),
             std::string("kel_server_captures{service=\"SYSMON0\",mode=\"spy\"} 1\n"),
             std::string("kel_server_capture_waits{service=\"BASEDDS0\"} 1\n"),
             std::string("kel_server_calls_total{entry_point=\"KEL_ctrl\"} 120\n"),
             std::string("kel_server_call_failures_total{entry_point=\"KEL_ctrl\"} 4\n"),
             std::string("kel_server_connections_refused_total{reason=\"authentication\"} 5\n"),
             std::string("kel_server_info{version=\"1.0.0\"} 1\n"),
         }) {
        EXPECT_EQ(occurrences(text, line), 1u) << line << "in:\n" << text;
    }
    // The rails that were not read have no sample at all.
    EXPECT_EQ(text.find("kel_board_voltage_volts{" + board + ",rail=\"vccaux\"}"),
              std::string::npos)
        << text;
    EXPECT_EQ(occurrences(text, "kel_board_voltage_volts{"), 2u) << text;

    // Each family's HELP and TYPE come once, before its first sample.
    for (const char *family :
         {"kel_board_temperature_celsius", "kel_board_voltage_volts",
          "kel_board_nominal_voltage_volts", "kel_board_sensor_read_failures_total",
          "kel_server_clients", "kel_server_captures", "kel_server_capture_waits",
          "kel_server_calls_total", "kel_server_call_failures_total",
          "kel_server_connections_refused_total", "kel_server_info"}) {
        const std::string name(family);
        const size_t help = text.find("# HELP " + name + " ");
        const size_t type = text.find("# TYPE " + name + " ");
        ASSERT_NE(help, std::string::npos) << name;
        EXPECT_EQ(occurrences(text, "# HELP " + name + " "), 1u) << name;
        EXPECT_LT(help, type) << name;
        EXPECT_LT(type, text.find("\n" + name + "{") == std::string::npos
                            ? text.find("\n" + name + " ")
                            : text.find("\n" + name + "{"))
            << name;
        const bool counter = name.size() > 6 && name.compare(name.size() - 6, 6, "_total") == 0;
        EXPECT_NE(text.find("# TYPE " + name + (counter ? " counter\n" : " gauge\n")),
                  std::string::npos)
            << name;
    }
    EXPECT_EQ(text.back(), '\n');
}

// A board whose every read failed still reports its failures, and the
// families with no sample leave no orphan HELP line.
TEST(MetricsText, ABoardWithNothingReadHasOnlyItsFailures) {
    MetricsSnapshot snapshot;
    BoardReadings board;
    board.board = "B";
    board.readFailures = 6;
    snapshot.boards.push_back(board);
    const std::string text = metricsText(snapshot);
    EXPECT_EQ(text.find("kel_board_temperature_celsius"), std::string::npos) << text;
    EXPECT_EQ(text.find("volts"), std::string::npos) << text;
    EXPECT_NE(text.find("kel_board_sensor_read_failures_total{lid=\"0\",board=\"B\"} 6\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("kel_server_clients 0\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("kel_server_captures"), std::string::npos) << text;
}

TEST(MetricsText, LabelValuesEscapedAndAlwaysUtf8) {
    EXPECT_EQ(escapedLabelValue("a\\b\"c\nd"), "a\\\\b\\\"c\\nd");
    EXPECT_EQ(escapedLabelValue("\xD0\x9F\xD0\xBB\xD0\xB0\xD1\x82\xD0\xB0"),
              "\xD0\x9F\xD0\xBB\xD0\xB0\xD1\x82\xD0\xB0"); // UTF-8 kept
    const std::string replacement = "\xEF\xBF\xBD";
    // A Windows-1251 name, a NUL, a cut sequence, an overlong form and a
    // surrogate: one replacement each.
    EXPECT_EQ(escapedLabelValue("\xCF\xEB"), replacement + replacement);
    EXPECT_EQ(escapedLabelValue(std::string("a\0b", 3)), "a" + replacement + "b");
    EXPECT_EQ(escapedLabelValue("x\xE2\x82"), "x" + replacement + replacement);
    EXPECT_EQ(escapedLabelValue("\xC0\xAF"), replacement + replacement);
    EXPECT_EQ(escapedLabelValue("\xED\xA0\x80"), replacement + replacement + replacement);
    EXPECT_EQ(escapedLabelValue("\xF0\x9F\x94\xA5"), "\xF0\x9F\x94\xA5");
}

TEST(MetricsText, SampleValuesReadBackExactly) {
    for (double value : {1.797, 0.001, -0.5, 41.25, 1e-300, 123456789.0}) {
        EXPECT_EQ(strtod(sampleValue(value).c_str(), nullptr), value) << sampleValue(value);
    }
    EXPECT_EQ(sampleValue(1.797), "1.797");
    EXPECT_EQ(sampleValue(NAN), "NaN");
    EXPECT_EQ(sampleValue(INFINITY), "+Inf");
    EXPECT_EQ(sampleValue(-INFINITY), "-Inf");
}

} // namespace
