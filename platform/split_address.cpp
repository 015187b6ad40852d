// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "socket_link.h"

bool platSplitAddress(const std::string &text, std::string *address, uint16_t *port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size() ||
        text.size() - colon > 6) {
        return false;
    }
    unsigned long number = 0;
    for (size_t i = colon + 1; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        number = number * 10 + static_cast<unsigned long>(text[i] - '0');
    }
    if (number > 65535) {
        return false;
    }
    *address = text.substr(0, colon);
    // A bracketed IPv6 address is named without its brackets.
    if (address->size() >= 2 && address->front() == '[' && address->back() == ']') {
        *address = address->substr(1, address->size() - 2);
    }
    *port = static_cast<uint16_t>(number);
    return true;
}
