// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../journal_stream.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

bool platStandardErrorIsJournal(void) {
    const char *named = getenv("JOURNAL_STREAM");
    unsigned long long device = 0;
    unsigned long long inode = 0;
    char rest = 0;
    if (named == nullptr || sscanf(named, "%llu:%llu%c", &device, &inode, &rest) != 2) {
        return false;
    }
    struct stat stream;
    return fstat(2, &stream) == 0 && static_cast<unsigned long long>(stream.st_dev) == device &&
           static_cast<unsigned long long>(stream.st_ino) == inode;
}
