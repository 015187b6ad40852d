// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// One call to the board library as a recording holds it: the entry point,
// each argument as the caller passed it (numbers, texts, the bytes before
// the call of every buffer the library reads), the result, and the bytes
// the call wrote.
#ifndef RECORDING_RECORDED_CALL_H
#define RECORDING_RECORDED_CALL_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace rec {

enum class ValueKind {
    number,  // an integer argument
    text,    // a C string, up to the argument's limit
    null,    // a null pointer
    pointer, // a buffer whose bytes are not kept (its size is unknown or 0)
    bytes,   // a buffer the library reads: its bytes before the call, and after it when the
             // call changed them
    outOnly  // a buffer the library only writes: what it held before the call is never
             // looked at (the caller need not have set it); after it, the bytes the call filled
};

struct Value {
    std::string name;
    ValueKind kind = ValueKind::null;
    uint32_t number = 0;
    std::string text;
    size_t size = 0; // the bytes a buffer (bytes, outOnly) covers
    std::vector<uint8_t> before;
    bool written = false;
    std::vector<uint8_t> after;
    void *address = nullptr; // a live call's buffer; never set for a recorded one
};

struct Call {
    unsigned number = 0; // from 1, in the order of the calls
    std::string entry;
    // Its place in the entry point table (a KelEntryPoint), for those that
    // dispatch on it; -1 for a call read back from a recording.
    int entryIndex = -1;
    std::vector<Value> arguments;
    int32_t result = 0;
    int line = 0; // where a recorded call starts in its file
};

} // namespace rec

#endif
