// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../process_facts.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <vector>

std::string platProgramPath() {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
}

std::string platCommandLine() {
    FILE *file = fopen("/proc/self/cmdline", "rb");
    if (file == nullptr) {
        return std::string();
    }
    std::string all;
    char chunk[4096];
    size_t got = 0;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        all.append(chunk, got);
    }
    fclose(file);
    std::string line;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos) {
            end = all.size();
        }
        const std::string argument = all.substr(start, end - start);
        const bool quoted = argument.empty() || argument.find(' ') != std::string::npos;
        line += (line.empty() ? "" : " ") + (quoted ? "\"" + argument + "\"" : argument);
        start = end + 1;
    }
    return line;
}

std::string platWorkingDirectory() {
    std::vector<char> buffer(PATH_MAX + 1);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (buffer.size() > (1u << 20)) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string platSystemName() {
    struct utsname names;
    if (uname(&names) != 0) {
        return std::string();
    }
    return std::string(names.sysname) + " " + names.release + " " + names.machine;
}

bool platFileSizeAndTime(const char *path, uint64_t *size, int64_t *modified) {
    struct stat facts;
    if (stat(path, &facts) != 0) {
        return false;
    }
    *size = static_cast<uint64_t>(facts.st_size);
    *modified = static_cast<int64_t>(facts.st_mtime);
    return true;
}

bool platSameFile(const char *first, const char *second) {
    struct stat a;
    struct stat b;
    return stat(first, &a) == 0 && stat(second, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool platLibraryPathOf(const void *address, std::string *path) {
    Dl_info info;
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return false;
    }
    *path = info.dli_fname;
    return true;
}
