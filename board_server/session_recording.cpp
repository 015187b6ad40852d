// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "session_recording.h"

#include <errno.h>
#include <string.h>

#include "books_text.h"
#include "call_shapes.h"
#include "filesystem.h"
#include "recording_text.h"

namespace {

// How many recordings of one client number a directory may hold.
const unsigned kMostCopies = 1000;

} // namespace

SessionRecording::~SessionRecording() {
    if (file_ != nullptr) {
        fclose(file_);
    }
}

bool SessionRecording::start(const std::string &directory, unsigned client,
                             const ClientIdentity &identity, const std::string &library,
                             std::string *problem) {
    // Never over a file that is there, such as the recording of an earlier
    // run's client of the same number: client-N.kelrec, else the first free
    // of client-N-2.kelrec, client-N-3.kelrec...
    const std::string stem = directory + "/client-" + std::to_string(client);
    for (unsigned copy = 1; copy <= kMostCopies; ++copy) {
        fileName_ = stem + (copy == 1 ? "" : "-" + std::to_string(copy)) + ".kelrec";
        file_ = platOpenNewFile(fileName_.c_str());
        if (file_ != nullptr || errno != EEXIST) {
            break;
        }
    }
    const std::string header = rec::recordingHeader() + "# board library: " + library +
                               "\n# client " + std::to_string(client) + ": " +
                               rec::quotedText(identity.name.c_str(), identity.name.size()) +
                               "\n# from " + identity.address + " at " +
                               isoTimeText(WallClock::now()) + "\n";
    if (file_ == nullptr || fputs(header.c_str(), file_) < 0 || fflush(file_) != 0) {
        *problem = "cannot write the recording '" + fileName_ + "': " + strerror(errno);
        if (file_ != nullptr) {
            fclose(file_);
            file_ = nullptr;
        }
        return false;
    }
    return true;
}

bool SessionRecording::write(const rec::Call &served) {
    // As the recorder would have taken the call: a buffer the library only
    // writes without what it held before, and with the bytes it filled.
    rec::Call call = served;
    call.number = ++calls_;
    std::vector<std::vector<uint8_t>> buffers(call.arguments.size());
    for (size_t i = 0; i < call.arguments.size(); ++i) {
        rec::Value &value = call.arguments[i];
        if (value.kind == rec::ValueKind::bytes || value.kind == rec::ValueKind::outOnly) {
            buffers[i] = value.written ? value.after : value.before;
            value.address = buffers[i].data();
            value.written = false;
            value.after.clear();
            if (value.kind == rec::ValueKind::outOnly) {
                value.before.clear();
            }
        }
    }
    rec::noteWrites(&call);
    if (file_ == nullptr) {
        return true;
    }
    const std::string text = rec::callText(call);
    if (fputs(text.c_str(), file_) < 0 || fflush(file_) != 0) {
        fclose(file_);
        file_ = nullptr;
        return false;
    }
    return true;
}
