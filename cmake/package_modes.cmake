# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
# Run by CPack on its staging tree before it packs (CPACK_PRE_BUILD_SCRIPTS):
# every directory 755, whatever the umask of the machine that packs. CPack
# makes the package's top directories itself, with the umask's modes, and
# install() rules set the modes of the directories they name only.
file(GLOB_RECURSE directories LIST_DIRECTORIES true ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*)
list(FILTER directories EXCLUDE REGEX "^$")
set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
foreach(entry ${directories})
  if(IS_DIRECTORY ${entry} AND NOT IS_SYMLINK ${entry})
    list(APPEND staged ${entry})
  endif()
endforeach()
file(CHMOD ${staged} DIRECTORY_PERMISSIONS
     OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
