// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../private_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "environment_file.h"
#include "filesystem.h"

namespace {

// The running user's, or root's: root can replace any file anyway.
bool trustedOwner(uid_t owner) { return owner == geteuid() || owner == 0; }

std::string folderOf(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// As OpenSSH's StrictModes: a folder that another user owns, or that its
// group or others may write, lets them put another file in the token's
// place. A sticky folder (/tmp) is taken: its sticky bit keeps others from
// renaming or removing a file they do not own, and the file's owner is
// checked. Only the file's own folder is looked at, not those above it,
// which are the system's and the user's home, as a token's place is chosen.
bool folderOpenToOthers(const std::string &path) {
    struct stat folder;
    if (stat(folderOf(path).c_str(), &folder) != 0) {
        return false; // the file was opened, so the folder is there; nothing to judge
    }
    const bool othersWrite = (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return !trustedOwner(folder.st_uid) || (othersWrite && (folder.st_mode & S_ISVTX) == 0);
}

SecretFileFault judge(const struct stat &facts, const std::string &path) {
    if (!S_ISREG(facts.st_mode) && !S_ISDIR(facts.st_mode)) {
        return SecretFileFault::special;
    }
    if (!trustedOwner(facts.st_uid)) {
        return SecretFileFault::otherOwner;
    }
    if ((facts.st_mode & (S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH)) != 0) {
        return SecretFileFault::openToOthers;
    }
    return folderOpenToOthers(path) ? SecretFileFault::folderOpen : SecretFileFault::none;
}

} // namespace

SecretFileFault platReadSecretFile(const char *path, size_t limit, std::string *text,
                                   std::string *reason) {
    // Opening a FIFO for reading waits for a writer: look before opening.
    if (platIsSpecialFile(path)) {
        return SecretFileFault::special;
    }
    // A link that another user owns could be turned to another file.
    struct stat link;
    if (lstat(path, &link) == 0 && S_ISLNK(link.st_mode) && !trustedOwner(link.st_uid)) {
        return SecretFileFault::otherOwner;
    }
    // Non-blocking as well, for a FIFO put in its place since the look.
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        *reason = strerror(errno);
        return SecretFileFault::unreadable;
    }
    struct stat facts;
    SecretFileFault fault = SecretFileFault::unreadable;
    FILE *file = nullptr;
    if (fstat(descriptor, &facts) == 0 && (fault = judge(facts, path)) == SecretFileFault::none &&
        (file = fdopen(descriptor, "rb")) == nullptr) {
        fault = SecretFileFault::unreadable;
    }
    if (file == nullptr) {
        if (fault == SecretFileFault::unreadable) {
            *reason = strerror(errno);
        }
        close(descriptor);
        return fault;
    }
    const bool read = platReadStream(file, text, reason, limit);
    fclose(file);
    return read ? SecretFileFault::none : SecretFileFault::unreadable;
}
