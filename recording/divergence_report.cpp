// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "divergence_report.h"

#include "call_shapes.h"
#include "control_comments.h"
#include "handle_book.h"
#include "recording_text.h"

namespace rec {

namespace {

// Buffers longer than this show only their size in the report's two forms;
// the line on the first difference shows the bytes that matter.
const size_t kShownBuffer = 16;
const size_t kShownBytes = 8;

std::string bytesFrom(const std::vector<uint8_t> &bytes, size_t offset) {
    const size_t end = offset + kShownBytes < bytes.size() ? offset + kShownBytes : bytes.size();
    return hexBytes(bytes.data() + offset, end - offset) + (end < bytes.size() ? " ..." : "");
}

// Where a control record's byte lies, by the table of codes.
std::string recordField(const Call &live, const HandleBook *book, size_t offset) {
    if (book == nullptr || live.entry != "KEL_ctrl" || live.arguments.size() != 4) {
        return std::string();
    }
    const KelControlCode *code =
        book->controlCode(static_cast<int32_t>(live.arguments[0].number), live.arguments[2].number);
    return code != nullptr && code->record != nullptr ? fieldAt(*code->record, offset)
                                                      : std::string();
}

std::string firstDifference(const Call &live, const Call &recorded, const HandleBook *book) {
    if (live.entry != recorded.entry) {
        return "another entry point";
    }
    for (size_t i = 0; i < live.arguments.size() && i < recorded.arguments.size(); ++i) {
        const Value &a = recorded.arguments[i];
        const Value &b = live.arguments[i];
        const std::string name = "'" + b.name + "'";
        if (a.kind == ValueKind::bytes && b.kind == ValueKind::bytes && a.size == b.size) {
            size_t offset = 0;
            while (offset < a.before.size() && a.before[offset] == b.before[offset]) {
                ++offset;
            }
            if (offset == a.before.size()) {
                continue;
            }
            const std::string field = recordField(live, book, offset);
            std::string where = name + " byte " + std::to_string(offset);
            if (!field.empty()) {
                where += " (" + field + ")";
            }
            return where + ": recorded " + bytesFrom(a.before, offset) + ", called " +
                   bytesFrom(b.before, offset);
        }
        const std::string was = argumentText(recorded, i, kShownBuffer);
        const std::string is = argumentText(live, i, kShownBuffer);
        if (was != is || a.size != b.size) {
            std::string what = name;
            what += ": recorded " + was;
            what += ", called " + is;
            return what;
        }
    }
    return "the number of arguments";
}

} // namespace

std::string divergenceReport(const std::string &file, const Call &live, const Call *recorded,
                             size_t recordedCalls, const HandleBook *book) {
    const std::string number = std::to_string(live.number);
    if (recorded == nullptr) {
        return "KEL replay: call " + number + " is beyond the end of the recording " + file + " (" +
               std::to_string(recordedCalls) +
               " calls)\n  called:   " + callSummary(live, kShownBuffer) + "\n";
    }
    return "KEL replay: call " + number + " differs from the recording (" + file + ", line " +
           std::to_string(recorded->line) +
           ")\n  recorded: " + callSummary(*recorded, kShownBuffer) +
           "\n  called:   " + callSummary(live, kShownBuffer) +
           "\n  first difference: " + firstDifference(live, *recorded, book) + "\n";
}

} // namespace rec
