// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../filesystem.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

// Copies text into buffer with the size convention of the Windows calls:
// the length on success, the size needed (NUL included) when it does not fit.
uint32_t deliver(const std::string &text, char *buffer, uint32_t size) {
    if (text.size() + 1 > size || buffer == nullptr) {
        return static_cast<uint32_t>(text.size() + 1);
    }
    memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<uint32_t>(text.size());
}

bool isRegularFile(const std::string &path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

bool platIsPathSeparator(char c) { return c == '/'; }

bool platIsSpecialFile(const char *path) {
    struct stat info;
    return path != nullptr && stat(path, &info) == 0 && !S_ISREG(info.st_mode) &&
           !S_ISDIR(info.st_mode);
}

char platPathSeparator(void) { return '/'; }

FILE *platOpenNewFile(const char *path) {
    if (path == nullptr || *path == '\0') {
        errno = ENOENT;
        return nullptr;
    }
    // O_EXCL: a file, link or FIFO of that name fails with EEXIST.
    const int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return nullptr;
    }
    FILE *file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        close(descriptor);
    }
    return file;
}

FILE *platOpenAppendFile(const char *path) {
    if (path == nullptr || *path == '\0') {
        return nullptr;
    }
    // O_NONBLOCK: opening a FIFO must not wait for a reader; a regular
    // file's writes never block on it anyway.
    const int descriptor =
        open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat info;
    FILE *file = nullptr;
    if (fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode)) {
        file = fdopen(descriptor, "ab");
    }
    if (file == nullptr) {
        close(descriptor);
    }
    return file;
}

uint32_t platCurrentDirectory(char *buffer, uint32_t size) {
    std::string path(PATH_MAX, '\0');
    while (getcwd(&path[0], path.size()) == nullptr) {
        // A removed directory (ENOENT) or one that cannot be read is a
        // failure; only a path longer than the buffer is tried again.
        if (errno != ERANGE || path.size() > (1u << 20)) {
            return 0;
        }
        path.resize(path.size() * 2);
    }
    path.resize(strlen(path.c_str()));
    return deliver(path, buffer, size);
}

bool platFullPath(const char *path, std::string *full) {
    if (*path == '/') {
        *full = path;
        return true;
    }
    // Asked with no room, the current directory gives the size it needs.
    const uint32_t needed = platCurrentDirectory(nullptr, 0);
    std::string directory(needed, '\0');
    if (*path == '\0' || needed == 0 ||
        platCurrentDirectory(&directory[0], needed) != needed - 1) {
        return false;
    }
    directory.resize(needed - 1);
    *full = platJoinPath(directory, path);
    return true;
}

bool platCanOpenForReading(const char *path) {
    if (path == nullptr || *path == '\0') {
        return false;
    }
    // Without O_NONBLOCK, opening a FIFO waits for a writer. The INI reader
    // reads regular files only, so a FIFO, a device or a directory is not
    // a readable option or configuration file here either.
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    struct stat info;
    const bool regular = fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
    close(descriptor);
    return regular;
}

uint32_t platSearchPath(const char *fileName, char *buffer, uint32_t size) {
    if (fileName == nullptr || *fileName == '\0') {
        return 0;
    }
    if (strchr(fileName, '/') != nullptr) {
        return isRegularFile(fileName) ? deliver(fileName, buffer, size) : 0;
    }
    char cwd[PATH_MAX];
    std::string candidates[2] = {platProgramDirectory(), getcwd(cwd, sizeof cwd) ? cwd : ""};
    for (const std::string &directory : candidates) {
        if (!directory.empty() && isRegularFile(platJoinPath(directory, fileName))) {
            return deliver(platJoinPath(directory, fileName), buffer, size);
        }
    }
    const char *path = getenv("PATH");
    if (path == nullptr) {
        return 0;
    }
    const std::string list(path);
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        const std::string candidate = platJoinPath(list.substr(start, end - start), fileName);
        if (isRegularFile(candidate)) {
            return deliver(candidate, buffer, size);
        }
        start = end + 1;
    }
    return 0;
}

unsigned long platProcessNumber(void) { return static_cast<unsigned long>(getpid()); }
