// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <stdint.h>
#include <stdio.h>

#include "call_shapes.h"
#include "control_comments.h"
#include "handle_book.h"
#include "recording_text.h"

namespace rec {

namespace {

std::string numberText(const ArgumentShape &shape, uint32_t number) {
    char text[16];
    if (shape.kind == ArgumentKind::hexNumber) {
        snprintf(text, sizeof text, "0x%x", number);
    } else if (shape.kind == ArgumentKind::signedNumber) {
        snprintf(text, sizeof text, "%d", static_cast<int32_t>(number));
    } else {
        snprintf(text, sizeof text, "%u", number);
    }
    return text;
}

std::string valueText(const ArgumentShape &shape, const Value &value, size_t longestBuffer) {
    switch (value.kind) {
    case ValueKind::number:
        return numberText(shape, value.number);
    case ValueKind::text:
        return quotedText(value.text.c_str(), value.text.size());
    case ValueKind::null:
        return "null";
    case ValueKind::pointer:
        return "ptr";
    case ValueKind::outOnly:
        return "out-only";
    case ValueKind::bytes:
        break;
    }
    if (value.before.size() > longestBuffer) {
        return "in <" + std::to_string(value.before.size()) + " bytes>";
    }
    return "in " + hexBytes(value.before.data(), value.before.size());
}

// For a control call on a held service: the code's name and the record
// decoded, before the call (`wrote` false) or as the call returned it.
std::string controlComment(const Call &call, const HandleBook *book, bool wrote) {
    if (book == nullptr || call.entry != "KEL_ctrl" || call.arguments.size() != 4) {
        return std::string();
    }
    const int32_t service = static_cast<int32_t>(call.arguments[0].number);
    const KelControlCode *code = book->controlCode(service, call.arguments[2].number);
    const Value &record = call.arguments[3];
    if (code == nullptr) {
        return std::string();
    }
    if (wrote) {
        return record.written && code->record != nullptr
                   ? "  # returned: " + decodedRecord(*code->record, record.after) + "\n"
                   : std::string();
    }
    std::string text = "  # " + std::string(code->name) + " on " + code->service;
    if (code->record != nullptr && record.kind == ValueKind::bytes) {
        text += ", " + std::string(code->record->name) + ": " +
                decodedRecord(*code->record, record.before);
    }
    return text + "\n";
}

std::string resultText(const EntryShape &shape, int32_t result) {
    char text[16];
    snprintf(text, sizeof text, shape.returnsHandle ? "%d" : "0x%x", result);
    return text;
}

} // namespace

std::string recordingHeader() { return "KEL recording " + std::to_string(kFormatVersion) + "\n"; }

std::string callText(const Call &call, const HandleBook *book) {
    const EntryShape *shape = findEntryShape(call.entry);
    if (shape == nullptr) {
        return std::string();
    }
    std::string text = "call " + std::to_string(call.number) + " " + call.entry + "\n";
    text += controlComment(call, book, false);
    size_t index = 0;
    for (const ArgumentShape &argument : shape->arguments) {
        if (index < call.arguments.size()) {
            text += "  " + call.arguments[index].name + " " +
                    valueText(argument, call.arguments[index], SIZE_MAX) + "\n";
        }
        ++index;
    }
    text += "  = " + resultText(*shape, call.result) + "\n";
    for (const Value &value : call.arguments) {
        if (value.written) {
            text += "  " + value.name + " out " + hexBytes(value.after.data(), value.after.size()) +
                    "\n";
        }
    }
    return text + controlComment(call, book, true);
}

std::string argumentText(const Call &call, size_t index, size_t longestBuffer) {
    const EntryShape *shape = findEntryShape(call.entry);
    if (shape == nullptr || index >= shape->arguments.size() || index >= call.arguments.size()) {
        return std::string();
    }
    return valueText(shape->arguments.begin()[index], call.arguments[index], longestBuffer);
}

std::string callSummary(const Call &call, size_t longestBuffer) {
    const EntryShape *shape = findEntryShape(call.entry);
    std::string text = call.entry + "(";
    size_t index = 0;
    for (const Value &value : call.arguments) {
        if (shape == nullptr || index >= shape->arguments.size()) {
            break;
        }
        text += (index > 0 ? ", " : "") + value.name + " " +
                valueText(shape->arguments.begin()[index], value, longestBuffer);
        ++index;
    }
    return text + ")";
}

std::string hexBytes(const void *data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    const unsigned char *bytes = static_cast<const unsigned char *>(data);
    std::string result;
    result.reserve(size * 2 + size / 4);
    for (size_t i = 0; i < size; ++i) {
        if (i > 0 && i % 4 == 0) {
            result += ' ';
        }
        result += digits[bytes[i] >> 4];
        result += digits[bytes[i] & 0xF];
    }
    return result;
}

std::string quotedText(const char *text, size_t limit) {
    if (text == nullptr) {
        return "null";
    }
    std::string result = "\"";
    for (size_t i = 0; i < limit && text[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", c);
            result += escaped;
        } else {
            result += static_cast<char>(c);
        }
    }
    return result + "\"";
}

} // namespace rec
