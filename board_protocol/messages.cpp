// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "messages.h"

#include <string.h>

#include "kel_entry_points.h"
#include "wire_bytes.h"

namespace proto {

namespace {

// A frame of the kind around the body; the length is filled in at the end.
Bytes startFrame(MessageKind kind) {
    Bytes frame(kFrameHeaderBytes, 0);
    frame.push_back(static_cast<uint8_t>(kind));
    return frame;
}

Bytes finishFrame(Bytes frame) {
    const uint32_t length = static_cast<uint32_t>(frame.size() - kFrameHeaderBytes);
    for (size_t i = 0; i < kFrameHeaderBytes; ++i) {
        frame[i] = static_cast<uint8_t>(length >> (8 * i));
    }
    return frame;
}

bool fail(std::string *problem, const std::string &text) {
    *problem = text;
    return false;
}

bool carriesBytes(const rec::Value &value) {
    return value.kind == rec::ValueKind::bytes || value.kind == rec::ValueKind::outOnly;
}

bool isNumberKind(rec::ArgumentKind kind) {
    return kind == rec::ArgumentKind::unsignedNumber || kind == rec::ArgumentKind::signedNumber ||
           kind == rec::ArgumentKind::hexNumber;
}

// The bytes a buffer argument must carry given the call's numbers; false
// when no call may pass such a buffer (its size is past what is carried).
bool expectedBufferBytes(const rec::ArgumentShape &shape, const std::vector<uint32_t> &numbers,
                         size_t *bytes) {
    uint64_t size = shape.size;
    if (shape.countOf >= 0) {
        const size_t index = static_cast<size_t>(shape.countOf);
        size = index < numbers.size() ? size * numbers[index] : 0;
    }
    *bytes = static_cast<size_t>(size);
    return size <= rec::kMaxBufferBytes;
}

// One argument as it travels: a number, or a presence byte and, when
// present, a text (16-bit length) or a buffer (32-bit length) and its bytes.
bool readArgument(WireReader *reader, const rec::ArgumentShape &argument, rec::Value *value,
                  std::string *problem) {
    value->name = argument.name;
    if (isNumberKind(argument.kind)) {
        value->kind = rec::ValueKind::number;
        return reader->number(&value->number) ||
               fail(problem, std::string("a call cut short at ") + argument.name);
    }
    uint8_t presence = 0;
    if (!reader->byte(&presence) || presence > 1) {
        return fail(problem, std::string("a malformed argument ") + argument.name);
    }
    if (presence == 0) { // the caller passed no pointer
        return true;
    }
    const bool isText = argument.kind == rec::ArgumentKind::text;
    uint32_t sentBytes = 0;
    uint16_t textBytes = 0;
    const uint8_t *bytes = nullptr;
    const bool lengthRead = isText ? reader->shortNumber(&textBytes) && textBytes <= argument.size
                                   : reader->number(&sentBytes);
    sentBytes = isText ? textBytes : sentBytes;
    if (!lengthRead || !reader->run(sentBytes, &bytes)) {
        return fail(problem, std::string("a malformed argument ") + argument.name);
    }
    if (isText) {
        value->kind = rec::ValueKind::text;
        value->text.assign(reinterpret_cast<const char *>(bytes), sentBytes);
        return true;
    }
    // A buffer the library only writes comes with the caller's bytes too:
    // the library behind the server sees them all.
    value->kind = sentBytes == 0           ? rec::ValueKind::pointer
                  : argument.readByLibrary ? rec::ValueKind::bytes
                                           : rec::ValueKind::outOnly;
    value->size = sentBytes;
    value->before.assign(bytes, bytes + sentBytes);
    return true;
}

// Each buffer given is as long as the call's own numbers say (a count may
// follow the buffer it counts, so this waits for the whole call), and a
// control record as long as its code's record.
bool buffersMatchTheCall(const rec::EntryShape &shape, const rec::Call &call,
                         const rec::HandleBook &book, std::string *problem) {
    std::vector<uint32_t> numbers; // each argument's number, 0 for the others
    for (const rec::Value &value : call.arguments) {
        numbers.push_back(value.number);
    }
    size_t position = 0;
    for (const rec::ArgumentShape &argument : shape.arguments) {
        const rec::Value &value = call.arguments[position++];
        const bool bufferGiven = carriesBytes(value) || value.kind == rec::ValueKind::pointer;
        size_t expectedBytes = 0;
        if (bufferGiven && argument.kind == rec::ArgumentKind::buffer &&
            (!expectedBufferBytes(argument, numbers, &expectedBytes) ||
             expectedBytes != value.size)) {
            return fail(problem, std::string("a buffer ") + argument.name + " of " +
                                     std::to_string(value.size) + " bytes");
        }
        if (bufferGiven && argument.kind == rec::ArgumentKind::controlRecord) {
            const int32_t serviceHandle = static_cast<int32_t>(numbers[0]);
            const uint32_t controlCode = numbers[2]; // KEL_ctrl(service, ..., code, record)
            if (value.size == 0 || book.recordSize(serviceHandle, controlCode) != value.size) {
                return fail(problem, "a control record of " + std::to_string(value.size) +
                                         " bytes for code " + std::to_string(controlCode));
            }
        }
    }
    return true;
}

} // namespace

const rec::EntryShape *shapeAt(size_t index) {
#define PROTO_SHAPE(name, type, parameters, arguments) &rec::shapes::name,
    static const rec::EntryShape *const shapes[] = {KEL_ENTRY_POINTS(PROTO_SHAPE)};
#undef PROTO_SHAPE
    return index < sizeof shapes / sizeof shapes[0] ? shapes[index] : nullptr;
}

ReadStatus readFrame(const uint8_t *data, size_t size, Frame *frame, size_t *used,
                     std::string *problem) {
    if (size < kFrameHeaderBytes) {
        return ReadStatus::incomplete;
    }
    const uint32_t length = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                            static_cast<uint32_t>(data[2]) << 16 |
                            static_cast<uint32_t>(data[3]) << 24;
    if (length == 0 || length > kMaxFrameBytes) {
        *problem = "a message of " + std::to_string(length) + " bytes";
        return ReadStatus::bad;
    }
    if (size == kFrameHeaderBytes) {
        return ReadStatus::incomplete;
    }
    const uint8_t kind = data[kFrameHeaderBytes];
    if (kind < static_cast<uint8_t>(MessageKind::hello) ||
        kind > static_cast<uint8_t>(MessageKind::status)) {
        *problem = "a message of unknown kind " + std::to_string(kind);
        return ReadStatus::bad;
    }
    if (size - kFrameHeaderBytes < length) {
        return ReadStatus::incomplete;
    }
    frame->kind = static_cast<MessageKind>(kind);
    frame->body.assign(data + kFrameHeaderBytes + 1, data + kFrameHeaderBytes + length);
    *used = kFrameHeaderBytes + length;
    return ReadStatus::complete;
}

bool readHello(const Bytes &body, Hello *hello, std::string *problem) {
    WireReader reader(body);
    const uint8_t *magic = nullptr;
    uint16_t nameSize = 0;
    const uint8_t *name = nullptr;
    if (!reader.run(sizeof kMagic, &magic) || memcmp(magic, kMagic, sizeof kMagic) != 0) {
        return fail(problem, "not a board library client");
    }
    if (!reader.shortNumber(&hello->version) || !reader.shortNumber(&hello->flags) ||
        !reader.shortNumber(&nameSize) || nameSize > kMaxClientNameBytes ||
        !reader.run(nameSize, &name)) {
        return fail(problem, "a malformed greeting");
    }
    hello->clientName.assign(reinterpret_cast<const char *>(name), nameSize);
    // A client of another version is told so, whatever else its hello holds.
    if (hello->version != kVersion) {
        return true;
    }
    const uint8_t *challenge = nullptr;
    if (!reader.run(kChallengeBytes, &challenge) || !reader.finished()) {
        return fail(problem, "a malformed greeting");
    }
    hello->challenge.assign(challenge, challenge + kChallengeBytes);
    return true;
}

bool readWelcome(const Bytes &body, Welcome *welcome, std::string *problem) {
    WireReader reader(body);
    const uint8_t *proof = nullptr;
    if (!reader.shortNumber(&welcome->version) || !reader.shortNumber(&welcome->flags) ||
        ((welcome->flags & kWelcomeAuthenticated) != 0 && !reader.run(kProofBytes, &proof)) ||
        !reader.finished()) {
        return fail(problem, "a malformed welcome");
    }
    if (proof != nullptr) {
        welcome->proof.assign(proof, proof + kProofBytes);
    }
    return true;
}

bool readSecretRun(const Bytes &body, size_t size, Bytes *run, std::string *problem) {
    if (body.size() != size) {
        return fail(problem, "a malformed authentication message");
    }
    *run = body;
    return true;
}

bool readRefusal(const Bytes &body, Refusal *refusal, std::string *problem) {
    WireReader reader(body);
    uint32_t status = 0;
    uint16_t textSize = 0;
    const uint8_t *text = nullptr;
    if (!reader.number(&status) || !reader.shortNumber(&textSize) ||
        textSize > kMaxRefusalTextBytes || !reader.run(textSize, &text) || !reader.finished()) {
        return fail(problem, "a malformed refusal");
    }
    refusal->status = static_cast<int32_t>(status);
    refusal->text.assign(reinterpret_cast<const char *>(text), textSize);
    return true;
}

bool readCall(const Bytes &body, const rec::HandleBook &book, rec::Call *call,
              std::string *problem) {
    WireReader reader(body);
    uint8_t entryIndex = 0;
    const rec::EntryShape *shape = reader.byte(&entryIndex) ? shapeAt(entryIndex) : nullptr;
    if (shape == nullptr) {
        return fail(problem, "a call of no entry point");
    }
    call->entry = shape->name;
    call->entryIndex = entryIndex;
    call->arguments.clear();
    for (const rec::ArgumentShape &argument : shape->arguments) {
        rec::Value value;
        if (!readArgument(&reader, argument, &value, problem)) {
            return false;
        }
        call->arguments.push_back(std::move(value));
    }
    if (!reader.finished()) {
        return fail(problem, "a call with bytes past its arguments");
    }
    return buffersMatchTheCall(*shape, *call, book, problem);
}

bool readResult(const Bytes &body, rec::Call *call, std::string *problem) {
    WireReader reader(body);
    uint32_t result = 0;
    if (!reader.number(&result)) {
        return fail(problem, "a malformed result");
    }
    call->result = static_cast<int32_t>(result);
    for (rec::Value &value : call->arguments) {
        if (!carriesBytes(value)) {
            continue;
        }
        uint8_t changed = 0;
        const uint8_t *bytes = nullptr;
        if (!reader.byte(&changed) || changed > 1 ||
            (changed == 1 && !reader.run(value.size, &bytes))) {
            return fail(problem, "a malformed result");
        }
        value.written = changed == 1;
        if (value.written) {
            value.after.assign(bytes, bytes + value.size);
        }
    }
    if (!reader.finished()) {
        return fail(problem, "a result with bytes past its buffers");
    }
    return true;
}

Bytes helloFrame(const std::string &clientName, const Bytes &challenge, uint16_t flags) {
    Bytes frame = startFrame(MessageKind::hello);
    putRun(&frame, kMagic, sizeof kMagic);
    putShort(&frame, kVersion);
    putShort(&frame, flags);
    const size_t nameSize =
        clientName.size() < kMaxClientNameBytes ? clientName.size() : kMaxClientNameBytes;
    putShort(&frame, static_cast<uint16_t>(nameSize));
    putRun(&frame, clientName.data(), nameSize);
    putRun(&frame, challenge.data(), challenge.size());
    return finishFrame(std::move(frame));
}

Bytes welcomeFrame(const Bytes &proof) {
    Bytes frame = startFrame(MessageKind::welcome);
    putShort(&frame, kVersion);
    putShort(&frame, proof.empty() ? 0 : kWelcomeAuthenticated);
    putRun(&frame, proof.data(), proof.size());
    return finishFrame(std::move(frame));
}

Bytes challengeFrame(const Bytes &challenge) {
    Bytes frame = startFrame(MessageKind::challenge);
    putRun(&frame, challenge.data(), challenge.size());
    return finishFrame(std::move(frame));
}

Bytes proofFrame(const Bytes &proof) {
    Bytes frame = startFrame(MessageKind::proof);
    putRun(&frame, proof.data(), proof.size());
    return finishFrame(std::move(frame));
}

Bytes refusedFrame(int32_t status, const std::string &text) {
    Bytes frame = startFrame(MessageKind::refused);
    putNumber(&frame, static_cast<uint32_t>(status));
    const size_t size = text.size() < kMaxRefusalTextBytes ? text.size() : kMaxRefusalTextBytes;
    putShort(&frame, static_cast<uint16_t>(size));
    putRun(&frame, text.data(), size);
    return finishFrame(std::move(frame));
}

Bytes pingFrame() { return finishFrame(startFrame(MessageKind::ping)); }

Bytes frameOf(MessageKind kind, const Bytes &body) {
    Bytes frame = startFrame(kind);
    putRun(&frame, body.data(), body.size());
    return finishFrame(std::move(frame));
}

bool callFrame(const rec::Call &call, Bytes *out) {
    size_t index = 0;
    while (shapeAt(index) != nullptr && call.entry != shapeAt(index)->name) {
        ++index;
    }
    const rec::EntryShape *shape = shapeAt(index);
    if (shape == nullptr || call.arguments.size() != shape->arguments.size()) {
        return false;
    }
    Bytes frame = startFrame(MessageKind::call);
    frame.push_back(static_cast<uint8_t>(index));
    size_t position = 0;
    for (const rec::ArgumentShape &argument : shape->arguments) {
        const rec::Value &value = call.arguments[position++];
        if (isNumberKind(argument.kind)) {
            putNumber(&frame, value.number);
        } else if (value.kind == rec::ValueKind::null) {
            frame.push_back(0);
        } else if (argument.kind == rec::ArgumentKind::text) {
            frame.push_back(1);
            putShort(&frame, static_cast<uint16_t>(value.text.size()));
            putRun(&frame, value.text.data(), value.text.size());
        } else if (value.kind == rec::ValueKind::outOnly && value.before.size() != value.size) {
            // A live call's buffer the library only writes: what the caller
            // left there travels too.
            frame.push_back(1);
            putNumber(&frame, static_cast<uint32_t>(value.size));
            putRun(&frame, value.address, value.size);
        } else {
            frame.push_back(1);
            putNumber(&frame, static_cast<uint32_t>(value.before.size()));
            putRun(&frame, value.before.data(), value.before.size());
        }
    }
    if (frame.size() - kFrameHeaderBytes > kMaxFrameBytes) {
        return false;
    }
    *out = finishFrame(std::move(frame));
    return true;
}

Bytes resultFrame(const rec::Call &call) {
    Bytes frame = startFrame(MessageKind::result);
    putNumber(&frame, static_cast<uint32_t>(call.result));
    for (const rec::Value &value : call.arguments) {
        if (!carriesBytes(value)) {
            continue;
        }
        frame.push_back(value.written ? 1 : 0);
        if (value.written) {
            putRun(&frame, value.after.data(), value.after.size());
        }
    }
    return finishFrame(std::move(frame));
}

} // namespace proto
