// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../temp_directory.h"
#include "filesystem.h"
#include "server_options.h"

namespace {

using ServiceArguments = InTempDirectory;

// A service starts in the system's folder: the paths an operator gives
// relative to the console's folder are registered full, and nothing else
// changes (an address, a number, standard input's "-", a full path).
TEST_F(ServiceArguments, RelativePathsAreRegisteredFull) {
    std::string full;
    ASSERT_TRUE(platFullPath("token", &full));
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(full).parent_path(), directory_));
    std::string fullRecord;
    ASSERT_TRUE(platFullPath("recordings", &fullRecord));
    const std::string absolute = platJoinPath(directory_.string(), "kel.log");
    const std::vector<std::string> given = {
        "--listen", "0.0.0.0:47820", "--token-file",       "token", "--log-file", absolute,
        "--record", "recordings",    "--metrics-interval", "5",     "--status",   "127.0.0.1:1"};
    const std::vector<std::string> registered = {
        "--listen", "0.0.0.0:47820", "--token-file",       full, "--log-file", absolute,
        "--record", fullRecord,      "--metrics-interval", "5",  "--status",   "127.0.0.1:1"};
    EXPECT_EQ(withFullPaths(given), registered);
    const std::vector<std::string> fromInput = {"--token-file", "-"};
    EXPECT_EQ(withFullPaths(fromInput), fromInput);
}

} // namespace
