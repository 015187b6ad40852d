// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "bench_support.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#define getpid _getpid
#define STDOUT_FILENO 1
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>

namespace {

int g_savedStdout = -1;

} // namespace

std::string enterScratchDirectory(const char *name) {
    const std::filesystem::path directory = std::filesystem::temp_directory_path() /
                                            (std::string(name) + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    std::filesystem::current_path(directory);
    // The call trace would time the file system, not the programs.
#if defined(_WIN32)
    _putenv_s("KEL_SIM_TRACE", "");
#else
    unsetenv("KEL_SIM_TRACE");
#endif
    return directory.string();
}

void writeFile(const char *name, const std::string &text) {
    std::ofstream(name, std::ios::binary) << text;
}

void silenceStdout(void) {
    fflush(stdout);
    g_savedStdout = dup(STDOUT_FILENO);
#if defined(_WIN32)
    const int null = _open("NUL", _O_WRONLY);
#else
    const int null = open("/dev/null", O_WRONLY);
#endif
    dup2(null, STDOUT_FILENO);
    close(null);
}

void restoreStdout(void) {
    fflush(stdout);
    dup2(g_savedStdout, STDOUT_FILENO);
    close(g_savedStdout);
    g_savedStdout = -1;
}
