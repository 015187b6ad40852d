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
                         {{"lids", kB, sizeof(uint32_t), 1, false},
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
                         {"list", kB, sizeof(KEL_PuEntry), 2, false},
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
                              {"list", kB, sizeof(KEL_ServiceEntry), 3, false},
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

const EntryShape *findEntryShape(const std::string &name) {
#define REC_SHAPE_ADDRESS(name, type, parameters, arguments) &shapes::name,
    static const EntryShape *const all[] = {KEL_ENTRY_POINTS(REC_SHAPE_ADDRESS)};
#undef REC_SHAPE_ADDRESS
    for (const EntryShape *shape : all) {
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
                value.kind = size > 0 ? ValueKind::bytes : ValueKind::pointer;
                const uint8_t *bytes = static_cast<const uint8_t *>(pointer);
                value.before.assign(bytes, bytes + size);
                value.address = const_cast<void *>(pointer);
            }
            break;
        }
        call.arguments.push_back(std::move(value));
        ++argument;
    }
    return call;
}

void noteWrites(Call *live) {
    for (Value &value : live->arguments) {
        if (value.kind != ValueKind::bytes) {
            continue;
        }
        const uint8_t *bytes = static_cast<const uint8_t *>(value.address);
        value.written = memcmp(bytes, value.before.data(), value.before.size()) != 0;
        if (value.written) {
            value.after.assign(bytes, bytes + value.before.size());
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
        if (a.kind != b.kind || a.number != b.number || a.text != b.text ||
            a.before.size() != b.before.size() || (compareBytes && a.before != b.before)) {
            return false;
        }
    }
    return true;
}

void replayWrites(const Call &recorded, const Call &live) {
    for (size_t i = 0; i < recorded.arguments.size() && i < live.arguments.size(); ++i) {
        const Value &wrote = recorded.arguments[i];
        const Value &buffer = live.arguments[i];
        if (wrote.written && buffer.kind == ValueKind::bytes &&
            wrote.after.size() == buffer.before.size()) {
            memcpy(buffer.address, wrote.after.data(), wrote.after.size());
        }
    }
}

} // namespace rec
