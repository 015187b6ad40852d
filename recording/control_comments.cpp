// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "control_comments.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace rec {

namespace {

size_t fieldSize(KelFieldKind kind) { return kind == KEL_FIELD_DOUBLE ? sizeof(double) : 4; }

std::string doubleText(double value) {
    char text[40];
    for (int precision = 15; precision <= 17; ++precision) {
        snprintf(text, sizeof text, "%.*g", precision, value);
        if (strtod(text, nullptr) == value) {
            break;
        }
    }
    return text;
}

std::string fieldText(KelFieldKind kind, const uint8_t *bytes) {
    char text[24];
    if (kind == KEL_FIELD_DOUBLE) {
        double value = 0;
        memcpy(&value, bytes, sizeof value);
        return doubleText(value);
    }
    uint32_t word = 0;
    memcpy(&word, bytes, sizeof word);
    if (kind == KEL_FIELD_SIGNED) {
        snprintf(text, sizeof text, "%d", static_cast<int32_t>(word));
    } else {
        snprintf(text, sizeof text, "%u", word);
    }
    return text;
}

} // namespace

std::string decodedRecord(const KelRecordLayout &layout, const std::vector<uint8_t> &bytes) {
    std::string text;
    for (size_t i = 0; i < layout.fieldCount; ++i) {
        const KelRecordField &field = layout.fields[i];
        if (field.offset + fieldSize(field.kind) > bytes.size()) {
            continue;
        }
        text += (text.empty() ? "" : ", ") + std::string(field.name) + " " +
                fieldText(field.kind, bytes.data() + field.offset);
    }
    return text;
}

std::string fieldAt(const KelRecordLayout &layout, size_t offset) {
    for (size_t i = 0; i < layout.fieldCount; ++i) {
        const KelRecordField &field = layout.fields[i];
        if (offset >= field.offset && offset < field.offset + fieldSize(field.kind)) {
            return std::string(layout.name) + "." + field.name;
        }
    }
    return std::string();
}

} // namespace rec
