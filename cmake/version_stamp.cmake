# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
# The project's one version (project() in the top-level CMakeLists.txt),
# carried by every program and library built here, so that a file found on
# an operator's machine tells which release it came from:
# - Windows: a version resource (Properties > Details, or any resource
#   viewer), with the product name, the version and what the file is;
# - elsewhere: the text "<product> <version>: <what it is>", which
#   `strings <file> | grep <product>` shows.
# The shared libraries keep their unversioned name and SONAME (libKEL.so):
# the vendor's library must drop in under the same one.

set(KEL_PACKAGE_NAME kel-board-demos)
set(KEL_VERSION_STAMP_DIR ${CMAKE_BINARY_DIR}/version_stamps)
if(WIN32)
  enable_language(RC)
endif()

function(kel_version_stamp target description)
  string(REPLACE "." "," KEL_VERSION_COMMAS "${PROJECT_VERSION}.0")
  set(KEL_FILE_DESCRIPTION "${description}")
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(KEL_FILE_TYPE "0x1L")  # VFT_APP
  else()
    set(KEL_FILE_TYPE "0x2L")  # VFT_DLL
  endif()
  if(WIN32)
    set(stamp ${KEL_VERSION_STAMP_DIR}/${target}.rc)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version_stamp.rc.in ${stamp} @ONLY)
  else()
    set(stamp ${KEL_VERSION_STAMP_DIR}/${target}.cpp)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version_stamp.cpp.in ${stamp} @ONLY)
  endif()
  target_sources(${target} PRIVATE ${stamp})
endfunction()
