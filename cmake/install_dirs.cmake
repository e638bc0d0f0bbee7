# Where `cmake --install` puts the files, below the prefix: the program in games/ below /usr and in bin/
# below any other prefix (cmake/install_program_dir.cmake), the engine library in a directory of its
# own, since only programs that embed the engine load it, by path. The ZARN_INSTALL_FULL_* paths are those
# of the configured prefix, which `zarn help` names; the installed manual page names the installed ones.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/install_program_dir.cmake)
set(ZARN_INSTALL_PROGRAM_DIR "" CACHE STRING
    "Directory of the zarn program below the install prefix (empty: games below /usr, bin below others)")
zarn_install_program_dir(ZARN_INSTALL_BINDIR "${CMAKE_INSTALL_PREFIX}" "${ZARN_INSTALL_PROGRAM_DIR}")
set(ZARN_INSTALL_LIBRARYDIR ${CMAKE_INSTALL_LIBDIR}/zarn)
set(ZARN_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/zarn)
foreach(dir BINDIR LIBRARYDIR DOCDIR)
  if(IS_ABSOLUTE "${ZARN_INSTALL_${dir}}")
    set(ZARN_INSTALL_FULL_${dir} "${ZARN_INSTALL_${dir}}")
  else()
    set(ZARN_INSTALL_FULL_${dir} "${CMAKE_INSTALL_PREFIX}/${ZARN_INSTALL_${dir}}")
  endif()
endforeach()
