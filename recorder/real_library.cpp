#include "real_library.h"

#include "call_shapes.h"
#include "library_loader.h"

namespace {

// A 32-bit stdcall library may name each entry point with the bytes of its
// arguments (four each), with or without a leading underscore.
template <typename Function>
bool find(void *library, const rec::EntryShape &shape, Function *function, std::string *missing) {
    const std::string name = shape.name;
    const std::string bytes = "@" + std::to_string(4 * shape.arguments.size());
    for (const std::string &candidate : {name, name + bytes, "_" + name + bytes}) {
        void *address = platLibraryFunction(library, candidate.c_str());
        if (address != nullptr) {
            *function = reinterpret_cast<Function>(address);
            return true;
        }
    }
    *missing = name;
    return false;
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
        *problem = std::string("the board library '") + path + "' has no entry point " + missing;
        return false;
    }
    return true;
}
