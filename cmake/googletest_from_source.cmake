# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
# GoogleTest for a target that has no installed build of it (a MinGW cross
# build, a Visual Studio machine): the installed package when there is one,
# otherwise built here from its sources.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  set(KEL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
      "GoogleTest sources, used when no installed GoogleTest fits the target")
  if(NOT EXISTS ${KEL_GOOGLETEST_SOURCE}/CMakeLists.txt)
    # A cross build in CI must not lose its tests silently; a Visual Studio
    # machine may just not have GoogleTest.
    if(CMAKE_CROSSCOMPILING)
      set(severity FATAL_ERROR)
    else()
      set(severity WARNING)
    endif()
    message(${severity}
      "GoogleTest not found for this target: unit tests are not built. Set "
      "KEL_GOOGLETEST_SOURCE to its sources or point CMAKE_PREFIX_PATH at an "
      "installed build.")
    return()
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # The programs use the static C runtime (cmake/windows.cmake); so does the
  # test framework.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KEL_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
