// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the board server's message reader, as a
// connection would bring them: frame after frame, each read as the message
// its kind says, the authentication's messages among them. The reader must take only whole frames
// within the bytes, and a call it accepts must be written back as the very same frame.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "call_shapes.h"
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    size_t offset = 0;
    for (;;) {
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
        offset += used;
    }
}
