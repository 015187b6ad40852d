# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
# Install rules and the release packages (CPack). Included by the top-level
# CMakeLists.txt after every target is made.
#
# Windows: one flat folder, as an operator unpacks it: the programs and the
# board server, the simulated KEL.dll beside them, the sample files and a
# read-me; the recording library in recorder/, the remote one in remote/.
# Linux: bin/ for the programs, the board server and plot-sensor-log;
# lib/kel-board-demos/ for the operator's own libKEL.so, searched first;
# lib/kel-board-demos/simulated/ for the simulated one, searched next;
# recorder/ and remote/ beside it; the samples, the man pages and a read-me
# under share/.

# The same permissions whatever the umask of the machine that packs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

if(WIN32)
  set(KEL_INSTALL_PROGRAMS .)
  set(KEL_INSTALL_LIBRARY .)
  set(KEL_INSTALL_RECORDER recorder)
  set(KEL_INSTALL_REMOTE remote)
  set(KEL_INSTALL_SAMPLES .)
  set(KEL_INSTALL_README .)
  set(KEL_README_SOURCE ${CMAKE_SOURCE_DIR}/packaging/README-windows.txt)
  set(KEL_README_NAME README.txt)
  set(KEL_README_NEWLINES WIN32)
else()
  set(KEL_INSTALL_PROGRAMS bin)
  set(KEL_INSTALL_OPERATOR_LIBRARY lib/${KEL_PACKAGE_NAME})
  set(KEL_INSTALL_LIBRARY ${KEL_INSTALL_OPERATOR_LIBRARY}/simulated)
  set(KEL_INSTALL_RECORDER ${KEL_INSTALL_OPERATOR_LIBRARY}/recorder)
  set(KEL_INSTALL_REMOTE ${KEL_INSTALL_OPERATOR_LIBRARY}/remote)
  set(KEL_INSTALL_SAMPLES share/${KEL_PACKAGE_NAME}/examples)
  set(KEL_INSTALL_README share/doc/${KEL_PACKAGE_NAME})
  set(KEL_README_SOURCE ${CMAKE_SOURCE_DIR}/packaging/README-linux.txt)
  set(KEL_README_NAME README)
  set(KEL_README_NEWLINES UNIX)
  # The operator's library first, then the simulated one. A run path, not an
  # rpath: LD_LIBRARY_PATH is searched before it, so an operator can name
  # another libKEL.so for one run.
  set_target_properties(demo_sgen demo_sensors PROPERTIES
    INSTALL_RPATH "$ORIGIN/../${KEL_INSTALL_OPERATOR_LIBRARY};$ORIGIN/../${KEL_INSTALL_LIBRARY}")
  set_target_properties(KEL PROPERTIES INSTALL_RPATH "")
  # The board server serves the library the programs would load (it has no
  # run path: it opens that library by its path).
  if(TARGET kel_server)
    set_target_properties(kel_server KEL_remote PROPERTIES INSTALL_RPATH "")
    target_compile_definitions(kel_server PRIVATE
      KEL_PACKAGE_OPERATOR_LIBRARY="../${KEL_INSTALL_OPERATOR_LIBRARY}"
      KEL_PACKAGE_SIMULATED_LIBRARY="../${KEL_INSTALL_LIBRARY}")
  endif()
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_link_options(demo_sgen PRIVATE LINKER:--enable-new-dtags)
    target_link_options(demo_sensors PRIVATE LINKER:--enable-new-dtags)
  endif()
endif()

install(TARGETS demo_sgen demo_sensors RUNTIME DESTINATION ${KEL_INSTALL_PROGRAMS})
if(KEL_INSTALL_OPERATOR_LIBRARY)
  install(DIRECTORY DESTINATION ${KEL_INSTALL_OPERATOR_LIBRARY})
endif()
# The import library is left out: the programs are linked already. Programs
# linked with the vendor's library may not find their names in this one.
if(NOT KEL_IMPORT_LIBRARY)
  install(TARGETS KEL
          RUNTIME DESTINATION ${KEL_INSTALL_LIBRARY}
          LIBRARY DESTINATION ${KEL_INSTALL_LIBRARY})
endif()
if(TARGET KEL_recorder)
  install(TARGETS KEL_recorder
          RUNTIME DESTINATION ${KEL_INSTALL_RECORDER}
          LIBRARY DESTINATION ${KEL_INSTALL_RECORDER})
endif()
if(TARGET kel_server)
  install(TARGETS kel_server RUNTIME DESTINATION ${KEL_INSTALL_PROGRAMS})
  install(TARGETS KEL_remote
          RUNTIME DESTINATION ${KEL_INSTALL_REMOTE}
          LIBRARY DESTINATION ${KEL_INSTALL_REMOTE})
endif()
install(FILES
          ${CMAKE_SOURCE_DIR}/examples/demo_sgen.ini
          ${CMAKE_SOURCE_DIR}/examples/demo_sensors.ini
          ${CMAKE_SOURCE_DIR}/examples/kel_sgen.ini
        DESTINATION ${KEL_INSTALL_SAMPLES})
install(FILES
          ${CMAKE_SOURCE_DIR}/examples/soak/kel.ini
          ${CMAKE_SOURCE_DIR}/examples/soak/demo_sensors.ini
        DESTINATION ${KEL_INSTALL_SAMPLES}/soak)
# The readings-log plotting tool needs the system's Python with matplotlib,
# which a Debian system has and a Windows one does not.
if(NOT WIN32)
  install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/plot-sensor-log DESTINATION ${KEL_INSTALL_PROGRAMS})
endif()
if(WIN32)
  # The read-me points to it for DLLs whose names or convention differ.
  install(FILES ${CMAKE_SOURCE_DIR}/docs/windows.md DESTINATION .)
  # The server's read-me note points to it for the options, limits and log.
  if(TARGET kel_server)
    install(FILES ${CMAKE_SOURCE_DIR}/docs/board-server.md DESTINATION .)
  endif()
endif()

# What the Windows read-me says of this build's board library interface.
set(KEL_PACKAGE_CALLING "the one of 64-bit Windows")
set(KEL_PACKAGE_IMPORT_NAMES "KEL_init, KEL_open and the other KEL_ names, undecorated")
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KEL_PACKAGE_ARCHITECTURE "32-bit (x86)")
  set(KEL_PACKAGE_SYSTEM win32)
  set(KEL_PACKAGE_CALLING "cdecl; the win32-stdcall package is for a stdcall library")
  if(KEL_CALLING_CONVENTION STREQUAL "stdcall")
    set(KEL_PACKAGE_SYSTEM win32-stdcall)
    set(KEL_PACKAGE_CALLING "stdcall; the win32 package is for a cdecl library")
    set(KEL_PACKAGE_IMPORT_NAMES
        "KEL_init@8, KEL_open@12 and the other KEL_ names, each with the bytes of its arguments")
  endif()
elseif(WIN32)
  set(KEL_PACKAGE_ARCHITECTURE "64-bit (x64)")
  set(KEL_PACKAGE_SYSTEM win64)
else()
  set(KEL_PACKAGE_SYSTEM ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
endif()
# The read-me, with a note at its end for each further part built: the
# recording library, the board server.
if(WIN32)
  set(note_system windows)
else()
  set(note_system linux)
endif()
file(READ ${KEL_README_SOURCE} readme)
set(readme_sources ${KEL_README_SOURCE})
foreach(part recorder:KEL_recorder server:kel_server)
  string(REPLACE ":" ";" part ${part})
  list(GET part 0 note)
  list(GET part 1 target)
  if(TARGET ${target})
    set(note_file ${CMAKE_SOURCE_DIR}/packaging/README-${note}-${note_system}.txt)
    file(READ ${note_file} note_text)
    string(APPEND readme "\n${note_text}")
    list(APPEND readme_sources ${note_file})
  endif()
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/${KEL_README_NAME} CONTENT "${readme}"
     @ONLY NEWLINE_STYLE ${KEL_README_NEWLINES})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme_sources})
install(FILES ${CMAKE_BINARY_DIR}/packaging/${KEL_README_NAME}
        DESTINATION ${KEL_INSTALL_README})
# The licence and the release notes go with every package. The Debian
# package's copyright file is machine-readable (DEP-5), with the licence's
# text as its License paragraph: each line indented, an empty one as " .".
install(FILES ${CMAKE_SOURCE_DIR}/LICENSES/MIT.txt DESTINATION ${KEL_INSTALL_README}/LICENSES)
install(FILES ${CMAKE_SOURCE_DIR}/NEWS.md DESTINATION ${KEL_INSTALL_README})
if(NOT WIN32)
  file(READ ${CMAKE_SOURCE_DIR}/LICENSES/MIT.txt licence_text)
  string(STRIP "${licence_text}" licence_text)
  string(REPLACE "\n\n" "\n.\n" licence_text "${licence_text}")
  string(REPLACE "\n" "\n " licence_text "${licence_text}")
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/copyright CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${KEL_PACKAGE_NAME}
Source: the ${KEL_PACKAGE_NAME} repository

Files: *
Copyright: 2026 The ${KEL_PACKAGE_NAME} authors
License: MIT

License: MIT
 ${licence_text}
" NEWLINE_STYLE UNIX)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${CMAKE_SOURCE_DIR}/LICENSES/MIT.txt)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright DESTINATION ${KEL_INSTALL_README})
endif()
if(NOT WIN32)
  # The templates in packaging/man/ (page.1.in) get the version here.
  set(pages demo_sgen.1 demo_sensors.1 plot-sensor-log.1)
  if(TARGET kel_server)
    list(APPEND pages kel_server.1)
  endif()
  foreach(page ${pages})
    configure_file(${CMAKE_SOURCE_DIR}/packaging/man/${page}.in
                   ${CMAKE_BINARY_DIR}/packaging/${page} @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${page} DESTINATION share/man/man1)
  endforeach()
endif()

# The board server at boot and the lab's alert rules on its metrics: the
# systemd unit where systemd looks for a package's units (/usr/lib/systemd/
# system in the Debian package; the archive's copy is for
# /etc/systemd/system), the rules beside the samples.
if(NOT WIN32 AND TARGET kel_server)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/systemd/kel-server.service
          DESTINATION lib/systemd/system)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/prometheus/kel-board.rules.yml
          DESTINATION share/${KEL_PACKAGE_NAME}/prometheus)
endif()

set(CPACK_PACKAGE_NAME ${KEL_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Operator console programs for a board with programmable units, with a simulated board library")
set(CPACK_PACKAGE_CONTACT "${KEL_PACKAGE_NAME} maintainers <maintainers@localhost>")
set(CPACK_SYSTEM_NAME ${KEL_PACKAGE_SYSTEM})
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/package_modes.cmake)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  # libssl3 holds libcrypto, which the board server and the remote library
  # authenticate with.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11), libssl3 (>= 3.0.0)")
  # Only plot-sensor-log needs them.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3, python3-matplotlib")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "demo_sgen lists the boards and programs the synthesizer of each; demo_sensors\nprints the board's temperature and voltages. Both run on the simulated board\nlibrary shipped here until the vendor's libKEL.so is put in its place.\nkel_server shares one board library with programs on this host and others.")
endif()
include(CPack)
