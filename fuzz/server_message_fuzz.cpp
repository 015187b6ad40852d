// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the board server's message reader, as a
// connection would bring them: frame after frame, each read as the message
// its kind says, the authentication's messages among them; after a welcome,
// sealed frames under a key the corpus knows. The reader must take only
// whole frames within the bytes, a call it accepts must be written back as
// the very same frame, and a sealed frame that opens must seal again into
// the very same bytes.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

#include "call_shapes.h"
#include "frame_seal.h"
#include "messages.h"

namespace {

// A client that captured SYSMON0 as handle 257, so control records on it
// have a known size.
const rec::HandleBook &bookWithSystemMonitor() {
    static rec::HandleBook book = [] {
        rec::HandleBook made;
        uint32_t mode = 1;
        rec::Call capture =
            rec::describeCall(rec::shapes::capture, {1, 0u, &mode, "SYSMON0", 10000u}, made);
        capture.result = 257;
        made.follow(capture);
        return made;
    }();
    return book;
}

void readMessage(const proto::Frame &frame, const uint8_t *whole, size_t size) {
    std::string problem;
    switch (frame.kind) {
    case proto::MessageKind::hello: {
        proto::Hello hello;
        proto::readHello(frame.body, &hello, &problem);
        break;
    }
    case proto::MessageKind::call: {
        rec::Call call;
        if (!proto::readCall(frame.body, bookWithSystemMonitor(), &call, &problem)) {
            break;
        }
        proto::Bytes again;
        if (!proto::callFrame(call, &again) || again.size() != size ||
            !std::equal(again.begin(), again.end(), whole)) {
            abort();
        }
        break;
    }
    case proto::MessageKind::refused: {
        proto::Refusal refusal;
        proto::readRefusal(frame.body, &refusal, &problem);
        break;
    }
    case proto::MessageKind::welcome: {
        proto::Welcome welcome;
        proto::readWelcome(frame.body, &welcome, &problem);
        break;
    }
    case proto::MessageKind::challenge:
    case proto::MessageKind::proof: {
        // Both are a run of fixed size; whatever reads as one is that run.
        proto::Bytes run;
        if (proto::readSecretRun(frame.body, proto::kChallengeBytes, &run, &problem) &&
            run != frame.body) {
            abort();
        }
        break;
    }
    case proto::MessageKind::result:
    case proto::MessageKind::ping:
        break;
    }
}

// The frames after the welcome, sealed under the key of the corpus's
// sessions (32 bytes of 0x4B).
void readSealedFrames(const uint8_t *data, size_t size) {
    const proto::Bytes key(32, 0x4B);
    proto::FrameSeal opener(key);
    proto::FrameSeal sealer(key);
    size_t offset = 0;
    for (;;) {
        proto::Bytes plain;
        size_t used = 0;
        std::string problem;
        if (opener.open(data + offset, size - offset, &plain, &used, &problem) !=
            proto::ReadStatus::complete) {
            return;
        }
        proto::Bytes again;
        if (used == 0 || used > size - offset || !sealer.seal(plain, &again, &problem) ||
            again.size() != used || !std::equal(again.begin(), again.end(), data + offset)) {
            abort();
        }
        proto::Frame frame;
        size_t plainUsed = 0;
        if (proto::readFrame(plain.data(), plain.size(), &frame, &plainUsed, &problem) ==
                proto::ReadStatus::complete &&
            plainUsed == plain.size()) {
            readMessage(frame, plain.data(), plain.size());
        }
        offset += used;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    size_t offset = 0;
    for (bool welcomed = false; !welcomed;) {
        proto::Frame frame;
        size_t used = 0;
        std::string problem;
        const proto::ReadStatus status =
            proto::readFrame(data + offset, size - offset, &frame, &used, &problem);
        if (status != proto::ReadStatus::complete) {
            return 0;
        }
        if (used == 0 || used > size - offset || used > proto::kMaxFrameBytes + 4) {
            abort();
        }
        readMessage(frame, data + offset, used);
        welcomed = frame.kind == proto::MessageKind::welcome;
        offset += used;
    }
    readSealedFrames(data + offset, size - offset);
    return 0;
}
