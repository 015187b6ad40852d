#include "recording_session.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "environment_file.h"
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
    if (!loadRealLibrary(library.c_str(), &session->real, problem)) {
        return false;
    }
    if (session->real.init == &KEL_init) {
        *problem = std::string("KEL_REAL_LIBRARY names the recorder itself ('") + library +
                   "'): name the board library it stands in front of";
        return false;
    }
    session->fileName = recording;
    session->file = platOpenFile(recording.c_str(), "wb");
    const std::string header = rec::recordingHeader() + "# board library: " + library + "\n";
    if (session->file == nullptr || fputs(header.c_str(), session->file) < 0 ||
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
    session.book.follow(*call);
    if (session.file == nullptr) {
        return;
    }
    const std::string text = rec::callText(*call);
    if (fputs(text.c_str(), session.file) < 0 || fflush(session.file) != 0) {
        fprintf(stderr, "KEL recorder: cannot write the recording '%s' any more: %s\n",
                session.fileName.c_str(), strerror(errno));
        fclose(session.file);
        session.file = nullptr;
    }
}
