# Runs inside `cmake --install`, before the files are copied, with the prefix being installed to:
# settles the program's directory below it (ZARN_INSTALLED_BINDIR, which the program's install rule
# reads) and installs the manual page written for it, so that the page names the files where they land.
# Set by cmake/install.cmake: ZARN_INSTALL_PROGRAM_DIR, ZARN_MANPAGE_GENERATOR, ZARN_VERSION and the
# directories ZARN_LIBRARYDIR, ZARN_INCLUDEDIR, ZARN_MANDIR, ZARN_DOCDIR (relative to the prefix or absolute).
include(${CMAKE_CURRENT_LIST_DIR}/install_program_dir.cmake)
zarn_install_program_dir(ZARN_INSTALLED_BINDIR "${CMAKE_INSTALL_PREFIX}" "${ZARN_INSTALL_PROGRAM_DIR}")

get_filename_component(zarnPrefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
string(REGEX REPLACE "(.)/+$" "\\1" zarnPrefix "${zarnPrefix}")
set(zarnDirs)
foreach(dir ZARN_INSTALLED_BINDIR ZARN_LIBRARYDIR ZARN_INCLUDEDIR ZARN_MANDIR ZARN_DOCDIR)
  if(IS_ABSOLUTE "${${dir}}")
    set(${dir}_FULL "${${dir}}")
  else()
    set(${dir}_FULL "${zarnPrefix}/${${dir}}")
  endif()
endforeach()

# The page is written in a folder of its own below the system's temporary folder (not the build
# folder, which an install run as root would leave a file in) and installed from there.
if(DEFINED ENV{TMPDIR} AND IS_DIRECTORY "$ENV{TMPDIR}")
  set(zarnTemporary "$ENV{TMPDIR}")
else()
  set(zarnTemporary /tmp)
endif()
string(RANDOM LENGTH 12 zarnRandom)
set(zarnPageDir "${zarnTemporary}/zarn-manual-${zarnRandom}")
file(MAKE_DIRECTORY "${zarnPageDir}")
execute_process(
  COMMAND "${ZARN_MANPAGE_GENERATOR}" "${zarnPageDir}/zarn.6" "${ZARN_VERSION}" "${ZARN_INSTALLED_BINDIR_FULL}"
          "${ZARN_LIBRARYDIR_FULL}" "${ZARN_INCLUDEDIR_FULL}" "${ZARN_DOCDIR_FULL}"
  RESULT_VARIABLE zarnFailed)
if(zarnFailed)
  file(REMOVE_RECURSE "${zarnPageDir}")
  message(FATAL_ERROR "Could not write the manual page with ${ZARN_MANPAGE_GENERATOR}: ${zarnFailed}")
endif()
file(INSTALL DESTINATION "${ZARN_MANDIR_FULL}/man6" TYPE FILE
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ FILES "${zarnPageDir}/zarn.6")
file(REMOVE_RECURSE "${zarnPageDir}")
