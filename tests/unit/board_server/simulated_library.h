// The simulated library linked into the test, as the server would load it.
#ifndef TESTS_UNIT_BOARD_SERVER_SIMULATED_LIBRARY_H
#define TESTS_UNIT_BOARD_SERVER_SIMULATED_LIBRARY_H

#include "kel_entry_points.h"
#include "real_library.h"

inline RealLibrary simulatedLibrary() {
#define TEST_LIBRARY_FUNCTION(name, type, parameters, arguments) &KEL_##name,
    return RealLibrary{KEL_ENTRY_POINTS(TEST_LIBRARY_FUNCTION)};
#undef TEST_LIBRARY_FUNCTION
}

#endif
