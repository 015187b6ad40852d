// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "ini_parse.h"

#include <string.h>

#include "../ini_copy.h"

// The rules are those of the Windows profile reader:
// - lines end at LF or at CR, so CRLF, LF and lone CR all end a line; white
//   space around a line is dropped, Ctrl-Z (0x1A) counts as white space;
// - "[name]" opens a section named by the text up to the last ']' on the
//   line, white space around it dropped; lines before the first section
//   belong to a section without a name, which no lookup matches;
// - "key = value": white space around the key and the value is dropped; a
//   line without '=' is a key without a value, which reads as the default;
// - the first section with the asked name is the only one searched, and its
//   first line with the asked key wins;
// - one pair of matching quotes (' or ") around the value is removed;
// - a UTF-8 byte-order mark at the start of the file is skipped;
// - names and values are C strings: each ends at a NUL byte inside it.
// Where the Windows reader goes further, no caller depends on it, and it is
// left out: it reads UTF-16 files, finds keys before the first section
// under the empty section name, and strips trailing blanks and quotes from
// the default text.

namespace {

struct Span {
    const char *begin;
    const char *end;
};

bool isProfileSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(Span a, Span b) {
    if (a.end - a.begin != b.end - b.begin) {
        return false;
    }
    for (const char *p = a.begin, *q = b.begin; p < a.end; ++p, ++q) {
        if (lowerAscii(*p) != lowerAscii(*q)) {
            return false;
        }
    }
    return true;
}

Span trim(Span s) {
    while (s.begin < s.end && isProfileSpace(*s.begin)) {
        ++s.begin;
    }
    while (s.end > s.begin && isProfileSpace(s.end[-1])) {
        --s.end;
    }
    return s;
}

Span spanOf(const char *text) { return trim(Span{text, text + strlen(text)}); }

Span upToNul(Span s) {
    const void *nul = memchr(s.begin, '\0', static_cast<size_t>(s.end - s.begin));
    return nul ? Span{s.begin, static_cast<const char *>(nul)} : s;
}

const char *findLast(Span s, char c) {
    for (const char *p = s.end; p > s.begin; --p) {
        if (p[-1] == c) {
            return p - 1;
        }
    }
    return nullptr;
}

uint32_t copyValue(Span value, char *buffer, uint32_t size) {
    value = upToNul(value);
    const size_t length = static_cast<size_t>(value.end - value.begin);
    if (length >= 2 && (*value.begin == '"' || *value.begin == '\'') &&
        value.end[-1] == *value.begin) {
        ++value.begin;
        --value.end;
    }
    return iniCopyCut(value.begin, static_cast<size_t>(value.end - value.begin), buffer, size);
}

enum class Found { no, withoutValue, withValue };

// Finds the key; *value is set when the key has one.
Found lookup(Span text, Span section, Span key, Span *value) {
    bool inSection = false; // the lines before the first section match nothing
    const char *next = text.begin;
    while (next < text.end) {
        const char *stop = next;
        while (stop < text.end && *stop != '\n' && *stop != '\r') {
            ++stop;
        }
        Span line{next, stop};
        next = stop < text.end ? stop + 1 : text.end; // CRLF leaves an empty line: skipped
        line = trim(line);
        if (line.begin == line.end) {
            continue;
        }
        if (*line.begin == '[') {
            const char *close = findLast(line, ']');
            if (close) {
                if (inSection) {
                    return Found::no; // only the first section of that name counts
                }
                inSection = equalNoCase(trim(upToNul(Span{line.begin + 1, close})), section);
                continue;
            }
            // A '[' without ']' is an ordinary key line.
        }
        if (!inSection) {
            continue;
        }
        const char *equals = static_cast<const char *>(
            memchr(line.begin, '=', static_cast<size_t>(line.end - line.begin)));
        const Span name = upToNul(trim(Span{line.begin, equals ? equals : line.end}));
        if (!equalNoCase(name, key)) {
            continue;
        }
        if (!equals) {
            return Found::withoutValue;
        }
        *value = trim(Span{equals + 1, line.end});
        return Found::withValue;
    }
    return Found::no;
}

} // namespace

uint32_t iniLookupText(const char *text, size_t length, const char *section, const char *key,
                       const char *defaultText, char *buffer, uint32_t size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    if (text != nullptr && section != nullptr && key != nullptr && *key != '\0') {
        Span body{text, text + length};
        if (length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
            body.begin += 3;
        }
        Span found{nullptr, nullptr};
        if (lookup(body, spanOf(section), spanOf(key), &found) == Found::withValue) {
            return copyValue(found, buffer, size);
        }
    }
    return iniCopyDefault(defaultText, buffer, size);
}
