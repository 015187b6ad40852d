# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
# Settings that only Windows builds need. Included by the top-level
# CMakeLists.txt before any target is made.

if(MSVC)
  # The C runtime is linked into each program and KEL.dll, so that they run
  # on a Windows without the Visual C++ redistributable.
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  # fopen, getenv and the like are used in their portable form.
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
elseif(MINGW)
  # Nothing of the compiler's runtime (libgcc, libstdc++, winpthread) is left
  # as a DLL that a bare Windows lacks.
  add_link_options(-static)
endif()

if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
endif()

# The sensor monitor's messages are Windows-1251 text on Windows; its
# sources hold them in UTF-8, which is what the POSIX build prints.
function(kel_windows_1251_strings)
  if(NOT WIN32)
    return()
  endif()
  foreach(target ${ARGN})
    if(NOT TARGET ${target})
      continue()
    endif()
    if(MSVC)
      target_compile_options(${target} PRIVATE /execution-charset:windows-1251)
    elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
      target_compile_options(${target} PRIVATE -fexec-charset=CP1251)
    endif()
  endforeach()
endfunction()
