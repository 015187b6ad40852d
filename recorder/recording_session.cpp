// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "recording_session.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "environment_file.h"
#include "filesystem.h"
#include "process_facts.h"
#include "recording_head.h"
#include "recording_text.h"

namespace {

struct Session {
    bool tried = false;
    bool started = false;
    RealLibrary real{};
    FILE *file = nullptr;
    std::string fileName;
    unsigned calls = 0;
    rec::HandleBook book;
};

Session &theSession() {
    static Session session;
    return session;
}

// What an existing file must start with for the recorder to write over it:
// only a recording, of any version, is replaced.
const char kRecordingStart[] = "KEL recording ";

// Refuses to write where it would destroy something: the board library or
// the recorder itself (both are mapped into the program: truncating one
// kills it and leaves the vendor's file a few lines of text), or any file
// that holds something else than a recording. An empty file is taken.
bool refusedTarget(const std::string &recording, const std::string &library, std::string *problem) {
    std::string recorder;
    if (platSameFile(recording.c_str(), library.c_str()) ||
        (platLibraryPathOf(kRecordingStart, &recorder) &&
         platSameFile(recording.c_str(), recorder.c_str()))) {
        *problem = "KEL_RECORD names the board library or the recorder ('" + recording +
                   "'): name a new file to record to";
        return true;
    }
    // Opening a FIFO waits for its other end: the program would hang at
    // its first call.
    if (platIsSpecialFile(recording.c_str())) {
        *problem = "'" + recording +
                   "' is a FIFO, socket or device, which keeps no recording: name a new file to "
                   "record to";
        return true;
    }
    FILE *existing = platOpenFile(recording.c_str(), "rb");
    if (existing == nullptr) {
        return false; // nothing there to lose, or opening for writing says why
    }
    char start[sizeof kRecordingStart - 1];
    const size_t got = fread(start, 1, sizeof start, existing);
    fclose(existing);
    if (got == 0 || std::string(start, got) == std::string(kRecordingStart, sizeof start)) {
        return false;
    }
    *problem = "'" + recording +
               "' exists and is not a recording: it is left as it is; name a new file to "
               "record to, or remove it";
    return true;
}

bool start(Session *session, std::string *problem) {
    std::string library;
    std::string recording;
    if (!platEnvironmentPath("KEL_REAL_LIBRARY", &library)) {
        *problem = "KEL_REAL_LIBRARY is not set: name the board library to record";
        return false;
    }
    if (!platEnvironmentPath("KEL_RECORD", &recording)) {
        *problem = "KEL_RECORD is not set: name the file to record to";
        return false;
    }
    // The library is loaded, and the target checked against it, before the
    // recording file is opened for writing at all.
    if (!loadRealLibrary(library.c_str(), &session->real, problem) ||
        refusedTarget(recording, library, problem)) {
        return false;
    }
    if (session->real.init == &KEL_init) {
        *problem = std::string("KEL_REAL_LIBRARY names the recorder itself ('") + library +
                   "'): name the board library it stands in front of";
        return false;
    }
    const std::string head = recordingHead(library);
    session->fileName = recording;
    session->file = platOpenFile(recording.c_str(), "wb");
    if (session->file == nullptr || fputs(head.c_str(), session->file) < 0 ||
        fflush(session->file) != 0) {
        *problem =
            std::string("cannot write the recording '") + recording + "': " + strerror(errno);
        return false;
    }
    return true;
}

} // namespace

const RealLibrary *startedSession() {
    Session &session = theSession();
    if (!session.tried) {
        session.tried = true;
        std::string problem;
        session.started = start(&session, &problem);
        if (!session.started) {
            fprintf(stderr, "KEL recorder: %s\n", problem.c_str());
        }
    }
    return session.started ? &session.real : nullptr;
}

const rec::HandleBook &sessionBook() { return theSession().book; }

void writeCall(rec::Call *call) {
    Session &session = theSession();
    call->number = ++session.calls;
    // The text first: a control call's comments name the service as held
    // before the call.
    const std::string text = session.file != nullptr ? rec::callText(*call, &session.book) : "";
    session.book.follow(*call);
    if (session.file == nullptr) {
        return;
    }
    if (fputs(text.c_str(), session.file) < 0 || fflush(session.file) != 0) {
        fprintf(stderr, "KEL recorder: cannot write the recording '%s' any more: %s\n",
                session.fileName.c_str(), strerror(errno));
        fclose(session.file);
        session.file = nullptr;
    }
}
