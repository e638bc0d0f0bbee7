# Where `cmake --install` puts the files, below the prefix: the program where Debian's chess engines
# have theirs (games, on the PATH of every user), the engine library in a directory of its own, since
# only programs that embed the engine load it, by path.
include(GNUInstallDirs)
set(ZARN_INSTALL_GAMESDIR games CACHE STRING "Directory of the zarn program, below the install prefix")
set(ZARN_INSTALL_LIBRARYDIR ${CMAKE_INSTALL_LIBDIR}/zarn)
set(ZARN_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/zarn)
foreach(dir GAMESDIR LIBRARYDIR DOCDIR)
  if(IS_ABSOLUTE "${ZARN_INSTALL_${dir}}")
    set(ZARN_INSTALL_FULL_${dir} "${ZARN_INSTALL_${dir}}")
  else()
    set(ZARN_INSTALL_FULL_${dir} "${CMAKE_INSTALL_PREFIX}/${ZARN_INSTALL_${dir}}")
  endif()
endforeach()
