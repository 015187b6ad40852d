#include "client_session.h"

#include <memory>

#include "frame_source.h"
#include "handle_book.h"
#include "messages.h"
#include "recording_text.h"
#include "remote_status.h"
#include "server_log.h"
#include "session_recording.h"

namespace {

bool send(PlatSocket socket, const proto::Bytes &frame, std::string *problem) {
    return platSendAll(socket, frame.data(), frame.size(), proto::kSilenceLimitMs, problem);
}

// The greeting; false (after telling the client why, when it is one) when
// the connection is not a client this server serves.
bool greet(PlatSocket socket, proto::FrameSource *frames, proto::Hello *hello,
           std::string *problem) {
    proto::Frame frame;
    if (frames->next(&frame, proto::kSilenceLimitMs, problem) != proto::Arrival::frame) {
        return false;
    }
    if (frame.kind != proto::MessageKind::hello || !proto::readHello(frame.body, hello, problem)) {
        *problem = "no greeting";
        return false;
    }
    if (hello->version != proto::kVersion) {
        *problem = "protocol version " + std::to_string(hello->version) +
                   " (this server speaks version " + std::to_string(proto::kVersion) + ")";
        std::string ignored;
        send(socket, proto::refusedFrame(proto::kServerRefused, "the server refused " + *problem),
             &ignored);
        return false;
    }
    return send(socket, proto::welcomeFrame(), problem);
}

} // namespace

void serveClient(PlatSocket socket, BoardBroker *broker, const ServerSettings &settings) {
    proto::FrameSource frames(socket);
    proto::Hello hello;
    std::string problem;
    if (!greet(socket, &frames, &hello, &problem)) {
        logLine("connection refused: " + problem);
        return;
    }
    const unsigned client = broker->arrive();
    const std::string who = "client " + std::to_string(client) + " (" +
                            rec::quotedText(hello.clientName.c_str(), hello.clientName.size()) +
                            ")";
    logLine(who + " arrived");
    std::unique_ptr<SessionRecording> recording;
    if (!settings.recordDirectory.empty()) {
        recording.reset(new SessionRecording);
        if (recording->start(settings.recordDirectory, client, hello.clientName,
                             settings.libraryPath, &problem)) {
            logLine(who + " recorded to " + recording->fileName());
        } else {
            logLine(who + ": " + problem);
        }
    }
    rec::HandleBook book;
    const auto gone = [socket] { return platPeerGone(socket); };
    try {
        for (;;) {
            proto::Frame frame;
            const proto::Arrival arrival = frames.next(&frame, proto::kSilenceLimitMs, &problem);
            if (arrival != proto::Arrival::frame) {
                break;
            }
            if (frame.kind == proto::MessageKind::ping) {
                continue;
            }
            rec::Call call;
            if (frame.kind != proto::MessageKind::call ||
                !proto::readCall(frame.body, book, &call, &problem)) {
                problem =
                    frame.kind != proto::MessageKind::call ? "a message out of place" : problem;
                std::string ignored;
                send(socket,
                     proto::refusedFrame(proto::kCallNotCarried, "the server refused " + problem),
                     &ignored);
                break;
            }
            broker->serve(client, &call, gone);
            book.follow(call);
            if (recording && !recording->write(call)) {
                logLine(who + ": cannot write the recording '" + recording->fileName() +
                        "' any more");
            }
            if (!send(socket, proto::resultFrame(call), &problem)) {
                break;
            }
        }
    } catch (...) {
        problem = "the server ran out of memory";
    }
    const std::string given = broker->depart(client);
    logLine(who + " left (" + problem + ")" + (given.empty() ? "" : ": " + given));
}
