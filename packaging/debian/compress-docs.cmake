# Runs inside CPack once the files of the Debian package are staged: compresses the manual page and
# adds the Debian changelog, both with gzip -9n as Debian's policy asks.
find_program(ZARN_GZIP gzip REQUIRED)

set(stage "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(page "${stage}/${CPACK_ZARN_MANDIR}/man6/zarn.6")
if(NOT EXISTS "${page}")
  message(FATAL_ERROR "no manual page at ${page}")
endif()
execute_process(COMMAND "${ZARN_GZIP}" -9nf "${page}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip failed on ${page}")
endif()

set(changelog "${stage}/${CPACK_ZARN_DOCDIR}/changelog")
file(COPY_FILE "${CPACK_ZARN_CHANGELOG}" "${changelog}")
execute_process(COMMAND "${ZARN_GZIP}" -9nf "${changelog}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip failed on ${changelog}")
endif()
file(CHMOD "${changelog}.gz" "${page}.gz" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
