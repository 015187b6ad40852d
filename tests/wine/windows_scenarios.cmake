# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
# How the end-to-end scenarios run against the Windows build: under Wine on
# a Linux host, through the key feeder (a Windows pipe as standard input),
# with the differences that belong to the platform named to the runner (see
# run_scenario.py --windows). Natively on Windows they are not registered:
# their setup scripts need bash, and the unreadable-file cases setpriv.
if(NOT CMAKE_CROSSCOMPILING OR NOT KEL_WINE_PROGRAM)
  message(STATUS "End-to-end scenarios: not registered (they run under Wine from a Linux host)")
  set(KEL_E2E_DISABLED ON)
  return()
endif()
add_subdirectory(${CMAKE_CURRENT_LIST_DIR} ${CMAKE_BINARY_DIR}/tests/wine)
# The runs across platforms (a Windows program with a POSIX board server,
# and the reverse) take the programs, server and libraries of a POSIX build.
set(KEL_POSIX_BIN "" CACHE PATH
    "bin/ of a POSIX build of this tree, for the board server runs across platforms")
if(KEL_E2E_LAUNCHER STREQUAL "")
  set(KEL_E2E_LAUNCHER ${KEL_WINE_PROGRAM} CACHE STRING
      "Command that starts the programs (e.g. wine)" FORCE)
endif()
set(KEL_E2E_PLATFORM_ARGS --windows --key-feeder $<TARGET_FILE:key_feeder>)
# demo_sensors prints Windows-1251 where the POSIX build prints UTF-8.
set(KEL_E2E_PLATFORM_ARGS_sensors --text-encoding cp1251)
