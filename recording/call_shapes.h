// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// What each entry point of the board library takes: the name and kind of
// every argument and how large each buffer is. The recorder and the
// simulator's replay describe live calls with it, and the parser checks a
// recording against it, so the three agree on what a call holds.
#ifndef RECORDING_CALL_SHAPES_H
#define RECORDING_CALL_SHAPES_H

#include <stddef.h>
#include <stdint.h>

#include <initializer_list>
#include <string>

#include "handle_book.h"
#include "kel_entry_points.h"
#include "recorded_call.h"

namespace rec {

enum class ArgumentKind {
    unsignedNumber,
    signedNumber, // handles
    hexNumber,    // modes, codes, unit ids
    text,         // read up to `size` bytes or the NUL
    buffer,       // `size` bytes, times the number argument `countOf` when that is not -1
    controlRecord // the record of a control code: its size follows from the captured service
};

struct ArgumentShape {
    const char *name;
    ArgumentKind kind;
    size_t size;
    int countOf;
    // False for a buffer the library only writes: what it held before is
    // whatever the caller left there (not always initialised), so it is
    // neither looked at, nor recorded, nor compared.
    bool readByLibrary = true;
    // For a list the library only writes: the argument that counts the
    // entries it filled (at most the capacity), whatever the call's status.
    int filledBy = -1;
};

struct EntryShape {
    const char *name;
    bool returnsHandle; // the result is a handle, written in decimal; else a status in hex
    std::initializer_list<ArgumentShape> arguments;
};

// The shape of each entry point, by its name in the entry point table.
namespace shapes {
#define REC_DECLARE_SHAPE(name, type, parameters, arguments) extern const EntryShape name;
KEL_ENTRY_POINTS(REC_DECLARE_SHAPE)
#undef REC_DECLARE_SHAPE
} // namespace shapes

// The shape of an entry point by name; null for a name that is none.
const EntryShape *findEntryShape(const std::string &name);

// Buffers larger than this are kept as a bare pointer: no call of the
// contract passes one, and a recording must stay readable.
const size_t kMaxBufferBytes = 65536;

// The bytes a buffer argument covers, given the call's number arguments;
// 0 when it is kept as a bare pointer.
size_t bufferBytes(const ArgumentShape &shape, const uint32_t *numbers, size_t count);

// An argument of a live call, as the entry point received it.
struct Argument {
    Argument(uint32_t value) : number(value) {}
    Argument(int32_t value) : number(static_cast<uint32_t>(value)) {}
    Argument(const void *value) : pointer(value) {}
    uint32_t number = 0;
    const void *pointer = nullptr;
};

// A live call before it is made: numbers, texts and the bytes of every
// buffer the library reads; a buffer it only writes keeps its size and
// address. Control records are sized from the book.
Call describeCall(const EntryShape &shape, std::initializer_list<Argument> arguments,
                  const HandleBook &book);

// After the call: keeps the bytes of each read buffer that the call
// changed, and of each write-only buffer the bytes the call filled: a
// single value whole, a list the entries its count gives, whatever the
// call's status.
void noteWrites(Call *live);

// Before a live call: clears each list the library only writes and counts
// through another argument, so that what noteWrites keeps of it (as many
// entries as the count says, whatever the call's status) is what the
// library wrote or zero, never the caller's stale memory.
void clearCountedLists(Call *live);

// True when a live call is the recorded one: the same entry point, numbers,
// texts, buffer sizes and the bytes before the call of each buffer the
// library reads; pointers compare only as null or not.
bool sameCall(const Call &live, const Call &recorded);

// Writes what the recorded call wrote into the live call's buffers. The
// caller has checked sameCall, so every buffer has the recorded size; a
// write-only list gets the entries that were filled, the rest is left.
void replayWrites(const Call &recorded, const Call &live);

} // namespace rec

#endif
