// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "real_library.h"

#include "call_shapes.h"
#include "entry_point_names.h"
#include "library_loader.h"

namespace {

template <typename Function>
bool find(void *library, const rec::EntryShape &shape, Function *function, std::string *missing) {
    const EntryName found = findEntryName(
        shape.name, shape.arguments.size(), thisBuildNameForm(), [&](const std::string &name) {
            return platLibraryFunction(library, name.c_str()) != nullptr;
        });
    if (found.name.empty()) {
        *missing = found.problem;
        return false;
    }
    *function = reinterpret_cast<Function>(platLibraryFunction(library, found.name.c_str()));
    return true;
}

} // namespace

bool loadRealLibrary(const char *path, RealLibrary *real, std::string *problem) {
    char reason[512];
    void *library = platLoadLibrary(path, reason, sizeof reason);
    if (library == nullptr) {
        *problem = std::string("cannot load the board library '") + path + "': " + reason;
        return false;
    }
    std::string missing;
#define REAL_LIBRARY_FIND(name, type, parameters, arguments)                                       \
    find(library, rec::shapes::name, &real->name, &missing) &&
    const bool complete = KEL_ENTRY_POINTS(REAL_LIBRARY_FIND) true;
#undef REAL_LIBRARY_FIND
    if (!complete) {
        *problem = std::string("the board library '") + path + "' " + missing;
        return false;
    }
    return true;
}
