# GoogleTest for a target that has no installed build of it (a MinGW cross
# build, a Visual Studio machine): the installed package when there is one,
# otherwise built here from its sources.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  set(KEL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
      "GoogleTest sources, used when no installed GoogleTest fits the target")
  if(NOT EXISTS ${KEL_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR
      "GoogleTest not found for this target. Set KEL_GOOGLETEST_SOURCE to its "
      "sources, point CMAKE_PREFIX_PATH at an installed build, or configure with "
      "-DKEL_BUILD_TESTS=OFF.")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # The programs use the static C runtime (cmake/windows.cmake); so does the
  # test framework.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KEL_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
