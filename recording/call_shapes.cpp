// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "call_shapes.h"

#include <string.h>

#include "kel_api.h"

namespace rec {

namespace {

const ArgumentKind kU = ArgumentKind::unsignedNumber;
const ArgumentKind kS = ArgumentKind::signedNumber;
const ArgumentKind kX = ArgumentKind::hexNumber;
const ArgumentKind kT = ArgumentKind::text;
const ArgumentKind kB = ArgumentKind::buffer;

// The configuration file name is read as far as a Windows path goes.
const size_t kPathLimit = 260;

} // namespace

namespace shapes {

const EntryShape displayMode{"KEL_displayMode", false, {{"mode", kX, 0, -1}}};
const EntryShape init{
    "KEL_init",
    false,
    {{"configFile", kT, kPathLimit, -1}, {"count", kB, sizeof(int32_t), -1, false}}};
const EntryShape lidList{"KEL_lidList",
                         false,
                         {{"lids", kB, sizeof(uint32_t), 1, false, 2},
                          {"capacity", kU, 0, -1},
                          {"count", kB, sizeof(uint32_t), -1, false}}};
const EntryShape getInfo{
    "KEL_getInfo", false, {{"lid", kU, 0, -1}, {"info", kB, sizeof(KEL_BoardInfo), -1}}};
const EntryShape open{
    "KEL_open",
    true,
    {{"lid", kU, 0, -1}, {"mode", kU, 0, -1}, {"grantedMode", kB, sizeof(uint32_t), -1, false}}};
const EntryShape puList{"KEL_puList",
                        false,
                        {{"device", kS, 0, -1},
                         {"list", kB, sizeof(KEL_PuEntry), 2, false, 3},
                         {"capacity", kU, 0, -1},
                         {"count", kB, sizeof(uint32_t), -1, false}}};
const EntryShape puState{
    "KEL_puState",
    false,
    {{"device", kS, 0, -1}, {"puId", kX, 0, -1}, {"state", kB, sizeof(uint32_t), -1}}};
const EntryShape serviceList{"KEL_serviceList",
                             false,
                             {{"device", kS, 0, -1},
                              {"reserved", kU, 0, -1},
                              {"list", kB, sizeof(KEL_ServiceEntry), 3, false, 4},
                              {"capacity", kU, 0, -1},
                              {"count", kB, sizeof(uint32_t), -1, false}}};
const EntryShape capture{"KEL_capture",
                         true,
                         {{"device", kS, 0, -1},
                          {"reserved", kU, 0, -1},
                          {"mode", kB, sizeof(uint32_t), -1},
                          {"name", kT, KEL_SERVICE_NAME_SIZE, -1},
                          {"timeout", kU, 0, -1}}};
const EntryShape ctrl{"KEL_ctrl",
                      false,
                      {{"service", kS, 0, -1},
                       {"reserved", kU, 0, -1},
                       {"code", kX, 0, -1},
                       {"record", ArgumentKind::controlRecord, 0, -1}}};
const EntryShape release{"KEL_release", false, {{"service", kS, 0, -1}, {"reserved", kU, 0, -1}}};
const EntryShape close{"KEL_close", false, {{"device", kS, 0, -1}}};
const EntryShape cleanup{"KEL_cleanup", false, {}};

} // namespace shapes

namespace {

// In the entry point table's order: a shape's place here is its entry
// point's index.
#define REC_SHAPE_ADDRESS(name, type, parameters, arguments) &shapes::name,
const EntryShape *const kAllShapes[] = {KEL_ENTRY_POINTS(REC_SHAPE_ADDRESS)};
#undef REC_SHAPE_ADDRESS

int entryIndexOf(const EntryShape &wanted) {
    for (int index = 0; index < kKelEntryPointCount; ++index) {
        if (kAllShapes[index] == &wanted) {
            return index;
        }
    }
    return -1;
}

} // namespace

const EntryShape *findEntryShape(const std::string &name) {
    for (const EntryShape *shape : kAllShapes) {
        if (name == shape->name) {
            return shape;
        }
    }
    return nullptr;
}

size_t bufferBytes(const ArgumentShape &shape, const uint32_t *numbers, size_t count) {
    uint64_t bytes = shape.size;
    if (shape.countOf >= 0) {
        bytes = static_cast<size_t>(shape.countOf) < count
                    ? bytes * numbers[static_cast<size_t>(shape.countOf)]
                    : 0;
    }
    return bytes <= kMaxBufferBytes ? static_cast<size_t>(bytes) : 0;
}

Call describeCall(const EntryShape &shape, std::initializer_list<Argument> arguments,
                  const HandleBook &book) {
    Call call;
    call.entry = shape.name;
    call.entryIndex = entryIndexOf(shape);
    uint32_t numbers[8] = {};
    size_t index = 0;
    for (const Argument &argument : arguments) {
        if (index < 8) {
            numbers[index++] = argument.number;
        }
    }
    const Argument *argument = arguments.begin();
    for (const ArgumentShape &wanted : shape.arguments) {
        if (argument == arguments.end()) {
            break;
        }
        Value value;
        value.name = wanted.name;
        const void *pointer = argument->pointer;
        switch (wanted.kind) {
        case ArgumentKind::unsignedNumber:
        case ArgumentKind::signedNumber:
        case ArgumentKind::hexNumber:
            value.kind = ValueKind::number;
            value.number = argument->number;
            break;
        case ArgumentKind::text:
            if (pointer != nullptr) {
                const char *text = static_cast<const char *>(pointer);
                value.kind = ValueKind::text;
                value.text.assign(text, strnlen(text, wanted.size));
            }
            break;
        case ArgumentKind::buffer:
        case ArgumentKind::controlRecord:
            if (pointer != nullptr) {
                const size_t size =
                    wanted.kind == ArgumentKind::buffer
                        ? bufferBytes(wanted, numbers, index)
                        : book.recordSize(static_cast<int32_t>(numbers[0]), numbers[2]);
                value.kind = size == 0              ? ValueKind::pointer
                             : wanted.readByLibrary ? ValueKind::bytes
                                                    : ValueKind::outOnly;
                value.size = size;
                value.address = const_cast<void *>(pointer);
                if (value.kind == ValueKind::bytes) {
                    const uint8_t *bytes = static_cast<const uint8_t *>(pointer);
                    value.before.assign(bytes, bytes + size);
                }
            }
            break;
        }
        call.arguments.push_back(std::move(value));
        ++argument;
    }
    return call;
}

namespace {

// The bytes of a write-only buffer that the finished call filled.
size_t filledBytes(const ArgumentShape &shape, const Value &value, const Call &call) {
    if (shape.filledBy < 0) {
        return value.size;
    }
    const size_t countIndex = static_cast<size_t>(shape.filledBy);
    // The status is not looked at: a library may fill the list and its count
    // under a failing status, and a program may print what it filled.
    if (countIndex >= call.arguments.size() || call.arguments[countIndex].address == nullptr ||
        shape.size == 0) {
        return 0;
    }
    uint32_t count = 0;
    memcpy(&count, call.arguments[countIndex].address, sizeof count);
    const size_t capacity = value.size / shape.size;
    return (count < capacity ? count : capacity) * shape.size;
}

} // namespace

void noteWrites(Call *live) {
    const EntryShape *shape = findEntryShape(live->entry);
    for (size_t i = 0; shape != nullptr && i < live->arguments.size(); ++i) {
        Value &value = live->arguments[i];
        const uint8_t *bytes = static_cast<const uint8_t *>(value.address);
        size_t kept = 0;
        if (value.kind == ValueKind::bytes) {
            const bool changed = memcmp(bytes, value.before.data(), value.before.size()) != 0;
            kept = changed ? value.before.size() : 0;
        } else if (value.kind == ValueKind::outOnly) {
            kept = filledBytes(shape->arguments.begin()[i], value, *live);
        }
        value.written = kept > 0;
        value.after.assign(bytes, bytes + kept);
    }
}

void clearCountedLists(Call *live) {
    const EntryShape *shape = findEntryShape(live->entry);
    for (size_t i = 0; shape != nullptr && i < live->arguments.size(); ++i) {
        Value &value = live->arguments[i];
        if (value.kind == ValueKind::outOnly && shape->arguments.begin()[i].filledBy >= 0) {
            memset(value.address, 0, value.size);
        }
    }
}

bool sameCall(const Call &live, const Call &recorded) {
    const EntryShape *shape = findEntryShape(live.entry);
    if (shape == nullptr || live.entry != recorded.entry ||
        live.arguments.size() != shape->arguments.size() ||
        recorded.arguments.size() != shape->arguments.size()) {
        return false;
    }
    for (size_t i = 0; i < live.arguments.size(); ++i) {
        const Value &a = live.arguments[i];
        const Value &b = recorded.arguments[i];
        const bool compareBytes = shape->arguments.begin()[i].readByLibrary;
        if (a.kind != b.kind || a.number != b.number || a.text != b.text || a.size != b.size ||
            (compareBytes && a.before != b.before)) {
            return false;
        }
    }
    return true;
}

void replayWrites(const Call &recorded, const Call &live) {
    for (size_t i = 0; i < recorded.arguments.size() && i < live.arguments.size(); ++i) {
        const Value &wrote = recorded.arguments[i];
        const Value &buffer = live.arguments[i];
        const bool isBuffer = buffer.kind == ValueKind::bytes || buffer.kind == ValueKind::outOnly;
        if (wrote.written && isBuffer && wrote.after.size() <= buffer.size) {
            memcpy(buffer.address, wrote.after.data(), wrote.after.size());
        }
    }
}

} // namespace rec
