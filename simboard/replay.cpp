// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "replay.h"

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "divergence_report.h"
#include "environment_file.h"
#include "handle_book.h"
#include "recording_status.h"
#include "recording_text.h"

namespace sim {

namespace {

struct Replay {
    bool loaded = false;
    bool usable = false;
    std::string file;
    std::vector<rec::Call> calls;
    size_t next = 0;
    rec::HandleBook book;
};

Replay &theReplay() {
    static Replay replay;
    return replay;
}

bool replayFile(std::string *file) { return platEnvironmentPath("KEL_REPLAY", file); }

void load(Replay *replay) {
    replay->loaded = true;
    replayFile(&replay->file);
    std::string text;
    std::string problem;
    if (!platReadFile(replay->file.c_str(), &text, &problem)) {
        fprintf(stderr, "KEL replay: %s: the recording cannot be read: %s\n", replay->file.c_str(),
                problem.c_str());
        return;
    }
    std::string error;
    if (!rec::parseRecording(text, &replay->calls, &error)) {
        fprintf(stderr, "KEL replay: %s: %s\n", replay->file.c_str(), error.c_str());
        return;
    }
    replay->usable = true;
}

} // namespace

bool replaying() {
    static const bool on = [] {
        std::string file;
        return replayFile(&file);
    }();
    return on;
}

int32_t replayCall(const rec::EntryShape &shape, std::initializer_list<rec::Argument> arguments) {
    Replay &replay = theReplay();
    if (!replay.loaded) {
        load(&replay);
    }
    if (!replay.usable) {
        return rec::kRecordingUnusable;
    }
    rec::Call live = rec::describeCall(shape, arguments, replay.book);
    live.number = static_cast<unsigned>(replay.next + 1);
    const rec::Call *recorded =
        replay.next < replay.calls.size() ? &replay.calls[replay.next] : nullptr;
    if (recorded == nullptr || !rec::sameCall(live, *recorded)) {
        // Nothing the program does after this is the recorded session: it is
        // ended here, through exit() so that it flushes its output and puts
        // the terminal back, with a status none of its own endings has.
        const std::string report =
            rec::divergenceReport(replay.file, live, recorded, replay.calls.size(), &replay.book);
        fputs(report.c_str(), stderr);
        fprintf(stderr, "KEL replay: the program is ended with status %d\n",
                rec::kReplayDivergedStatus);
        fflush(stderr);
        exit(rec::kReplayDivergedStatus);
    }
    ++replay.next;
    rec::replayWrites(*recorded, live);
    replay.book.follow(*recorded);
    return recorded->result;
}

size_t replayRecordSize(int32_t service, uint32_t code) {
    return theReplay().book.recordSize(service, code);
}

} // namespace sim
