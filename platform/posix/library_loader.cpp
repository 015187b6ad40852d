// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "../library_loader.h"

#include <dlfcn.h>
#include <stdio.h>

// Deep binding makes the loaded library's calls to its own exports stay
// inside it: a library in front of it exports the same names. The address
// sanitizer refuses it.
#if defined(__SANITIZE_ADDRESS__)
#define KEL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KEL_ADDRESS_SANITIZER 1
#endif
#endif

void *platLoadLibrary(const char *path, char *reason, size_t reasonSize) {
    // Local binding keeps the library's exports out of the program's scope.
    int flags = RTLD_NOW | RTLD_LOCAL;
#if defined(RTLD_DEEPBIND) && !defined(KEL_ADDRESS_SANITIZER)
    flags |= RTLD_DEEPBIND;
#endif
    void *library = dlopen(path, flags);
    if (library == nullptr) {
        const char *error = dlerror();
        snprintf(reason, reasonSize, "%s", error != nullptr ? error : "unknown reason");
    }
    return library;
}

void *platLibraryFunction(void *library, const char *name) { return dlsym(library, name); }
