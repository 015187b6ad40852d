// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A snapshot in the Prometheus text exposition format (version 0.0.4), as
// node_exporter's and windows_exporter's textfile collectors read it.
#ifndef BOARD_METRICS_METRICS_TEXT_H
#define BOARD_METRICS_METRICS_TEXT_H

#include <string>

#include "metrics_snapshot.h"

// Every family with its HELP and TYPE lines, in base units (celsius,
// volts), counters ending in _total. A reading that is absent from the
// snapshot is absent from the text: no sample stands for a value not read.
std::string metricsText(const MetricsSnapshot &snapshot);

// A label value as the format wants it: backslash, double quote and line
// feed escaped; bytes that are not UTF-8 (a board name in a code page) and
// NULs each become U+FFFD, since one such byte makes the collector reject
// the whole file.
std::string escapedLabelValue(const std::string &value);

// A sample value: the shortest text that reads back as the same double;
// NaN, +Inf and -Inf as the format spells them.
std::string sampleValue(double value);

#endif
