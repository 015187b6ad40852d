// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Reads a recording back, checking every call against its entry point's
// shape: a damaged file is refused with the line where it goes wrong, so
// that the replay never answers from a call it cannot trust.
#include <errno.h>
#include <stdlib.h>

#include "call_shapes.h"
#include "handle_book.h"
#include "recording_text.h"

namespace rec {

namespace {

struct Damage {
    int line;
    std::string problem;
};

[[noreturn]] void damaged(int line, const std::string &problem) { throw Damage{line, problem}; }

// Spaces and tabs separate words; an editor may have put either.
bool blank(char c) { return c == ' ' || c == '\t'; }

// The lines of a recording as an editor may have left it: a UTF-8 byte
// order mark before the first line, CR LF endings and blanks at the ends of
// lines are taken away.
std::vector<std::string> splitLines(const std::string &text) {
    static const char kByteOrderMark[] = "\xEF\xBB\xBF";
    std::vector<std::string> lines;
    size_t start = text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || blank(line.back()))) {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The next word of `line` from `*at` on, skipping the blanks before it.
std::string nextWord(const std::string &line, size_t *at) {
    while (*at < line.size() && blank(line[*at])) {
        ++*at;
    }
    const size_t start = *at;
    while (*at < line.size() && !blank(line[*at])) {
        ++*at;
    }
    return line.substr(start, *at - start);
}

std::string rest(const std::string &line, size_t at) {
    while (at < line.size() && blank(line[at])) {
        ++at;
    }
    return line.substr(at);
}

std::string shown(const std::string &text) {
    return quotedText(text.c_str(), text.size() < 40 ? text.size() : 40);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

uint32_t parseNumber(const std::string &word, int line) {
    const bool negative = !word.empty() && word[0] == '-';
    const std::string digits = negative ? word.substr(1) : word;
    const bool hex =
        digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    const char *start = digits.c_str() + (hex ? 2 : 0);
    char *end = nullptr;
    errno = 0;
    const unsigned long long value = strtoull(start, &end, hex ? 16 : 10);
    const bool digitFirst = hex ? hexDigit(*start) >= 0 : (*start >= '0' && *start <= '9');
    const bool allDigits = digitFirst && end != nullptr && *end == '\0' && errno == 0;
    if (!allDigits || (negative && (hex || value > 0x80000000ull)) || value > 0xFFFFFFFFull) {
        damaged(line, shown(word) + " is not a 32-bit number");
    }
    return negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(value))
                    : static_cast<uint32_t>(value);
}

std::vector<uint8_t> parseHex(const std::string &text, int line) {
    std::vector<uint8_t> bytes;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        const int high = hexDigit(text[i]);
        const int low = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
        if (high < 0 || low < 0) {
            damaged(line, "bad hexadecimal bytes at column " + std::to_string(i + 1));
        }
        if (bytes.size() >= kMaxBufferBytes) {
            damaged(line, "more bytes than any buffer of a call holds");
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        i += 2;
    }
    return bytes;
}

std::string parseText(const std::string &quoted, size_t limit, int line) {
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') {
        damaged(line, "a text is quoted: " + shown(quoted));
    }
    std::string text;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(quoted[i]);
        if (c == '\\') {
            const int high = i + 2 < quoted.size() - 1 ? hexDigit(quoted[i + 2]) : -1;
            const int low = i + 3 < quoted.size() - 1 ? hexDigit(quoted[i + 3]) : -1;
            if (quoted[i + 1] != 'x' || high < 0 || low < 0) {
                damaged(line, "a text's escapes are \\xNN");
            }
            c = static_cast<unsigned char>(high * 16 + low);
            i += 3;
        } else if (c == '"' || c < 0x20 || c >= 0x7F) {
            damaged(line, "a text holds only printable characters and \\xNN escapes");
        }
        if (c == 0) {
            damaged(line, "a text ends at its NUL and holds none");
        }
        text += static_cast<char>(c);
    }
    if (text.size() > limit) {
        damaged(line, "a text longer than the " + std::to_string(limit) + " bytes the call reads");
    }
    return text;
}

// `word` is the value's first word, `more` what follows it, `whole` the
// value as written (a text may hold spaces).
Value parseArgument(const ArgumentShape &shape, const std::string &word, const std::string &more,
                    const std::string &whole, int line) {
    Value value;
    value.name = shape.name;
    const bool pointerKind = shape.kind == ArgumentKind::text ||
                             shape.kind == ArgumentKind::buffer ||
                             shape.kind == ArgumentKind::controlRecord;
    if (pointerKind && word == "null" && more.empty()) {
        value.kind = ValueKind::null;
    } else if (shape.kind == ArgumentKind::text) {
        value.kind = ValueKind::text;
        value.text = parseText(whole, shape.size, line);
    } else if (pointerKind && word == "ptr" && more.empty()) {
        value.kind = ValueKind::pointer;
    } else if (pointerKind && !shape.readByLibrary) {
        if (word != "out-only" || !more.empty()) {
            damaged(line, std::string("'") + shape.name +
                              "' is null, ptr or out-only: the library only writes it");
        }
        value.kind = ValueKind::outOnly;
    } else if (pointerKind) {
        if (word != "in") {
            damaged(line, std::string("'") + shape.name + "' is null, ptr or in <bytes>");
        }
        value.kind = ValueKind::bytes;
        value.before = parseHex(more, line);
        value.size = value.before.size();
    } else {
        if (!more.empty()) {
            damaged(line, std::string("'") + shape.name + "' is one number");
        }
        value.kind = ValueKind::number;
        value.number = parseNumber(word, line);
    }
    return value;
}

// With every argument read: each buffer must have the size the call gives it.
void checkSizes(const EntryShape &shape, Call &call, const std::vector<int> &lines,
                const HandleBook &book) {
    uint32_t numbers[8] = {};
    for (size_t i = 0; i < call.arguments.size() && i < 8; ++i) {
        numbers[i] = call.arguments[i].number;
    }
    size_t index = 0;
    for (const ArgumentShape &argument : shape.arguments) {
        Value &value = call.arguments[index];
        if (value.kind == ValueKind::bytes || value.kind == ValueKind::pointer ||
            value.kind == ValueKind::outOnly) {
            const size_t size = argument.kind == ArgumentKind::buffer
                                    ? bufferBytes(argument, numbers, call.arguments.size())
                                    : book.recordSize(static_cast<int32_t>(numbers[0]), numbers[2]);
            if (value.kind == ValueKind::outOnly) {
                value.size = size; // the call gives it; "out-only" does not repeat it
            }
            if (value.kind == ValueKind::outOnly && size == 0) {
                damaged(lines[index], "'" + value.name + "' is ptr: the call passes no bytes");
            }
            const size_t held = value.kind == ValueKind::pointer ? 0 : value.size;
            if (held != size || (value.kind != ValueKind::pointer) != (size > 0)) {
                damaged(lines[index], "'" + value.name + "' holds " + std::to_string(held) +
                                          " bytes where the call passes " + std::to_string(size));
            }
        }
        ++index;
    }
}

class Parser {
public:
    void parse(const std::string &text, std::vector<Call> *calls) {
        const std::vector<std::string> lines = splitLines(text);
        checkHeader(lines);
        for (size_t i = 1; i < lines.size(); ++i) {
            line_ = static_cast<int>(i + 1);
            size_t at = 0;
            const std::string first = nextWord(lines[i], &at);
            if (first.empty() || first[0] == '#') {
                continue;
            }
            if (first == "call") {
                finishCall(calls);
                startCall(lines[i], at, calls->size() + 1);
            } else if (shape_ == nullptr) {
                damaged(line_, "a call starts with 'call <number> <entry point>'");
            } else if (first == "=") {
                readResult(rest(lines[i], at));
            } else if (!resultRead_) {
                readArgument(first, lines[i], at);
            } else {
                readWrite(first, lines[i], at);
            }
        }
        if (shape_ != nullptr && !resultRead_) {
            damaged(static_cast<int>(lines.size()), "the recording ends inside call " +
                                                        std::to_string(call_.number) +
                                                        ": it is truncated");
        }
        finishCall(calls);
    }

private:
    static void checkHeader(const std::vector<std::string> &lines) {
        const std::string wanted = recordingHeader().substr(0, recordingHeader().size() - 1);
        const std::string first = lines.empty() ? std::string() : lines[0];
        const std::string prefix = "KEL recording ";
        if (first == wanted) {
            return;
        }
        if (first.compare(0, prefix.size(), prefix) == 0) {
            damaged(1, "recording version " + shown(first.substr(prefix.size())) +
                           "; this library reads version " + std::to_string(kFormatVersion));
        }
        damaged(1, "not a board library recording: the first line is not '" + wanted + "'");
    }

    void startCall(const std::string &line, size_t at, size_t expected) {
        const std::string number = nextWord(line, &at);
        const std::string entry = nextWord(line, &at);
        if (number != std::to_string(expected)) {
            damaged(line_, "call " + shown(number) + " where call " + std::to_string(expected) +
                               " comes next");
        }
        shape_ = findEntryShape(entry);
        if (shape_ == nullptr || !rest(line, at).empty()) {
            damaged(line_, "unknown entry point " + shown(entry));
        }
        call_ = Call();
        call_.number = static_cast<unsigned>(expected);
        call_.entry = entry;
        call_.line = line_;
        argumentLines_.clear();
        resultRead_ = false;
    }

    void readArgument(const std::string &name, const std::string &line, size_t at) {
        const size_t index = call_.arguments.size();
        if (index >= shape_->arguments.size()) {
            damaged(line_, call_.entry + " has no more arguments before its result");
        }
        const ArgumentShape &wanted = shape_->arguments.begin()[index];
        if (name != wanted.name) {
            damaged(line_, "argument '" + std::string(wanted.name) + "' of " + call_.entry +
                               " comes next, not " + shown(name));
        }
        const std::string whole = rest(line, at);
        const std::string word = nextWord(line, &at);
        call_.arguments.push_back(parseArgument(wanted, word, rest(line, at), whole, line_));
        argumentLines_.push_back(line_);
    }

    void readResult(const std::string &text) {
        if (resultRead_) {
            damaged(line_, "a second result for call " + std::to_string(call_.number));
        }
        if (call_.arguments.size() < shape_->arguments.size()) {
            damaged(line_, "the result comes before argument '" +
                               std::string(shape_->arguments.begin()[call_.arguments.size()].name) +
                               "' of " + call_.entry);
        }
        checkSizes(*shape_, call_, argumentLines_, book_);
        call_.result = static_cast<int32_t>(parseNumber(text, line_));
        resultRead_ = true;
    }

    void readWrite(const std::string &name, const std::string &line, size_t at) {
        if (nextWord(line, &at) != "out") {
            damaged(line_, "after the result only '<buffer> out <bytes>' lines follow");
        }
        for (Value &value : call_.arguments) {
            if (value.name != name) {
                continue;
            }
            const bool outOnly = value.kind == ValueKind::outOnly;
            if ((value.kind != ValueKind::bytes && !outOnly) || value.written) {
                damaged(line_, "'" + name + "' is no buffer of kept bytes, or written twice");
            }
            value.after = parseHex(rest(line, at), line_);
            // A write-only list holds the entries the call filled, no more.
            if (outOnly ? value.after.size() > value.size : value.after.size() != value.size) {
                damaged(line_, "'" + name + "' wrote " + std::to_string(value.after.size()) +
                                   " bytes into a buffer of " + std::to_string(value.size));
            }
            value.written = true;
            return;
        }
        damaged(line_, call_.entry + " has no argument " + shown(name));
    }

    void finishCall(std::vector<Call> *calls) {
        if (shape_ == nullptr) {
            return;
        }
        if (!resultRead_) {
            damaged(line_, "call " + std::to_string(call_.number) + " has no result line");
        }
        book_.follow(call_);
        calls->push_back(std::move(call_));
        shape_ = nullptr;
    }

    int line_ = 1;
    const EntryShape *shape_ = nullptr;
    Call call_;
    std::vector<int> argumentLines_;
    bool resultRead_ = false;
    HandleBook book_;
};

} // namespace

bool parseRecording(const std::string &text, std::vector<Call> *calls, std::string *error) {
    calls->clear();
    try {
        Parser().parse(text, calls);
        return true;
    } catch (const Damage &damage) {
        calls->clear();
        *error = "line " + std::to_string(damage.line) + ": " + damage.problem;
        return false;
    }
}

} // namespace rec
