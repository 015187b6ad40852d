#include "real_library.h"

#include "library_loader.h"

namespace {

template <typename Function>
bool find(void *library, const char *name, Function *function, std::string *missing) {
    void *address = platLibraryFunction(library, name);
    if (address == nullptr) {
        *missing = name;
        return false;
    }
    *function = reinterpret_cast<Function>(address);
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
    const bool complete = find(library, "KEL_displayMode", &real->displayMode, &missing) &&
                          find(library, "KEL_init", &real->init, &missing) &&
                          find(library, "KEL_lidList", &real->lidList, &missing) &&
                          find(library, "KEL_getInfo", &real->getInfo, &missing) &&
                          find(library, "KEL_open", &real->open, &missing) &&
                          find(library, "KEL_puList", &real->puList, &missing) &&
                          find(library, "KEL_puState", &real->puState, &missing) &&
                          find(library, "KEL_serviceList", &real->serviceList, &missing) &&
                          find(library, "KEL_capture", &real->capture, &missing) &&
                          find(library, "KEL_ctrl", &real->ctrl, &missing) &&
                          find(library, "KEL_release", &real->release, &missing) &&
                          find(library, "KEL_close", &real->close, &missing) &&
                          find(library, "KEL_cleanup", &real->cleanup, &missing);
    if (!complete) {
        *problem = std::string("the board library '") + path + "' has no entry point " + missing;
        return false;
    }
    if (real->init == &KEL_init) {
        *problem = std::string("KEL_REAL_LIBRARY names the recorder itself ('") + path +
                   "'): name the board library it stands in front of";
        return false;
    }
    return true;
}
