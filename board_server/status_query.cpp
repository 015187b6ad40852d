// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "status_query.h"

#include <stdio.h>

#include "authentication.h"
#include "environment_file.h"
#include "filesystem.h"
#include "server_connection.h"
#include "server_timeout.h"
#include "status_report.h"

namespace {

int refuse(const std::string &server, const std::string &why) {
    fprintf(stderr, "kel_server: no status from %s: %s\n", server.c_str(), why.c_str());
    return 1;
}

} // namespace

int queryServerStatus(const std::string &server, const std::string &tokenFile, bool json) {
    std::string file = tokenFile;
    std::string token;
    std::string problem;
    if (!file.empty() || platEnvironmentPath("KEL_TOKEN_FILE", &file)) {
        if (!proto::readTokenFile(file, &token, &problem)) {
            return refuse(server, problem);
        }
    }
    const int timeoutMs = proto::serverTimeoutSetting("kel_server");
    proto::ServerConnection connection;
    int32_t status = 0;
    proto::Bytes body;
    if (!connection.open(server, platProgramLabel(), token, timeoutMs, &status, &problem,
                         proto::kHelloStatusQuery) ||
        !connection.receive(proto::MessageKind::status, timeoutMs, &body, &status, &problem)) {
        return refuse(server, problem);
    }
    ServerStatus answer;
    if (!readStatus(body, &answer, &problem)) {
        return refuse(server, problem);
    }
    const std::string text = json ? statusJson(answer) : statusText(answer);
    fputs(text.c_str(), stdout);
    return fflush(stdout) == 0 ? 0 : 1;
}
