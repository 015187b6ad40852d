// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../replace_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace {

bool writeAll(int descriptor, const std::string &contents) {
    size_t written = 0;
    while (written < contents.size()) {
        const ssize_t count =
            write(descriptor, contents.data() + written, contents.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        written += static_cast<size_t>(count);
    }
    return true;
}

} // namespace

bool platReplaceFile(const char *path, const std::string &contents) {
    if (path == nullptr || *path == '\0') {
        errno = ENOENT;
        return false;
    }
    const std::string temporary = platReplacementName(path);
    // O_NOFOLLOW: a link planted under the temporary name is not written
    // through. 0666 before the umask: the collector runs as another user.
    // No fsync: readers need the rename's atomicity, not durability, and the
    // file is written again within seconds.
    const int descriptor = open(
        temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return false;
    }
    bool written = writeAll(descriptor, contents);
    int error = errno;
    if (close(descriptor) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && rename(temporary.c_str(), path) == 0) {
        return true;
    }
    if (written) {
        error = errno;
    }
    unlink(temporary.c_str());
    errno = error;
    return false;
}
