// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// `kel_server --status`'s answer for an operator (indented lines) and for a
// program (one JSON object); times in the asking host's local zone.
#ifndef BOARD_SERVER_STATUS_REPORT_H
#define BOARD_SERVER_STATUS_REPORT_H

#include <string>

#include "status_message.h"

std::string statusText(const ServerStatus &status);
std::string statusJson(const ServerStatus &status);

#endif
