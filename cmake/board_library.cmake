# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
# Every board library built here (simulated, recording, remote) is a KEL of
# its own: the same file name and SONAME as the vendor's (libKEL.so,
# KEL.dll), only the 13 entry points exported, and the project's version.
# SUBDIR puts it in bin/<SUBDIR>/, away from the simulated one in bin/.
function(kel_board_library target description)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "SUBDIR" "")
  target_compile_definitions(${target} PRIVATE KEL_BUILDING_LIBRARY)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME KEL
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(NOT WIN32)
    # libKEL.so with that SONAME, as the programs name it.
    set_target_properties(${target} PROPERTIES PREFIX "lib")
  endif()
  if(arg_SUBDIR)
    set_target_properties(${target} PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/${arg_SUBDIR}
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/${arg_SUBDIR}
      ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/${arg_SUBDIR})
  endif()
  kel_version_stamp(${target} "${description}")
endfunction()
