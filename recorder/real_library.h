// The board library the recorder stands in front of: the file that
// KEL_REAL_LIBRARY names, and its thirteen entry points.
#ifndef RECORDER_REAL_LIBRARY_H
#define RECORDER_REAL_LIBRARY_H

#include <string>

#include "kel_api.h"

struct RealLibrary {
    decltype(&KEL_displayMode) displayMode;
    decltype(&KEL_init) init;
    decltype(&KEL_lidList) lidList;
    decltype(&KEL_getInfo) getInfo;
    decltype(&KEL_open) open;
    decltype(&KEL_puList) puList;
    decltype(&KEL_puState) puState;
    decltype(&KEL_serviceList) serviceList;
    decltype(&KEL_capture) capture;
    decltype(&KEL_ctrl) ctrl;
    decltype(&KEL_release) release;
    decltype(&KEL_close) close;
    decltype(&KEL_cleanup) cleanup;
};

// Loads the library at path and finds every entry point; on failure returns
// false with the reason, one line, in *problem.
bool loadRealLibrary(const char *path, RealLibrary *real, std::string *problem);

#endif
