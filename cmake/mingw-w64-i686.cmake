# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
# Cross build for 32-bit Windows with the MinGW-w64 compilers of a Linux
# host (Debian: g++-mingw-w64-i686), for a vendor KEL.dll that is 32-bit.
# No emulator is set: the hosts this is built on cannot execute 32-bit x86
# code, so the build is inspected, not run.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
