# What `cmake --install` installs: the program, the engine library with its C header, the manual page
# and the documents. Nothing of the tests, fuzzers, benchmarks or the stand-in host.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS zarn RUNTIME DESTINATION ${ZARN_INSTALL_GAMESDIR})
install(TARGETS Zarn504 LIBRARY DESTINATION ${ZARN_INSTALL_LIBRARYDIR})
install(FILES ${PROJECT_SOURCE_DIR}/engine/interface/zarn.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zarn)
install(FILES ${PROJECT_BINARY_DIR}/zarn.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
        DESTINATION ${ZARN_INSTALL_DOCDIR})

add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DZARN_MANIFEST=${PROJECT_BINARY_DIR}/install_manifest.txt
          -P ${PROJECT_SOURCE_DIR}/cmake/uninstall.cmake
  COMMENT "Removing the installed files"
  VERBATIM)
