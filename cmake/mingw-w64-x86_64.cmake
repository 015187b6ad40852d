# Cross build for 64-bit Windows with the MinGW-w64 compilers of a Linux
# host (Debian: g++-mingw-w64-x86-64). Tests run through Wine when present.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KEL_MINGW_TRIPLE x86_64-w64-mingw32)
# The "posix" thread model: GoogleTest needs std::mutex, which the "win32"
# model lacks. Its winpthread is linked statically with the rest of the
# runtime (cmake/windows.cmake), so no program needs a DLL for it.
set(CMAKE_C_COMPILER ${KEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KEL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest and test discovery start the Windows programs through this.
find_program(KEL_WINE_PROGRAM NAMES wine64 wine)
if(KEL_WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KEL_WINE_PROGRAM})
endif()
