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
    const bool complete = find(library, rec::kDisplayMode, &real->displayMode, &missing) &&
                          find(library, rec::kInit, &real->init, &missing) &&
                          find(library, rec::kLidList, &real->lidList, &missing) &&
                          find(library, rec::kGetInfo, &real->getInfo, &missing) &&
                          find(library, rec::kOpen, &real->open, &missing) &&
                          find(library, rec::kPuList, &real->puList, &missing) &&
                          find(library, rec::kPuState, &real->puState, &missing) &&
                          find(library, rec::kServiceList, &real->serviceList, &missing) &&
                          find(library, rec::kCapture, &real->capture, &missing) &&
                          find(library, rec::kCtrl, &real->ctrl, &missing) &&
                          find(library, rec::kRelease, &real->release, &missing) &&
                          find(library, rec::kClose, &real->close, &missing) &&
                          find(library, rec::kCleanup, &real->cleanup, &missing);
    if (!complete) {
        *problem = std::string("the board library '") + path + "' " + missing;
        return false;
    }
    if (real->init == &KEL_init) {
        *problem = std::string("KEL_REAL_LIBRARY names the recorder itself ('") + path +
                   "'): name the board library it stands in front of";
        return false;
    }
    return true;
}
