# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
# Cross build for 64-bit Windows with the MinGW-w64 compilers of a Linux
# host (Debian: g++-mingw-w64-x86-64). Tests run through Wine when present.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KEL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# CTest and test discovery start the Windows programs through this.
find_program(KEL_WINE_PROGRAM NAMES wine64 wine)
if(KEL_WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KEL_WINE_PROGRAM})
endif()
