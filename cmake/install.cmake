# What `cmake --install` installs: the program, the engine library with its C header, the manual page
# and the documents. Nothing of the tests, fuzzers, benchmarks or the stand-in host. The program's
# directory and the manual page are settled while installing (cmake/install_manual.cmake), for the
# prefix installed to.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(CODE "
  set(ZARN_INSTALL_PROGRAM_DIR \"${ZARN_INSTALL_PROGRAM_DIR}\")
  set(ZARN_MANPAGE_GENERATOR \"$<TARGET_FILE:zarn_manpage>\")
  set(ZARN_VERSION \"${PROJECT_VERSION}\")
  set(ZARN_LIBRARYDIR \"${ZARN_INSTALL_LIBRARYDIR}\")
  set(ZARN_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(ZARN_MANDIR \"${CMAKE_INSTALL_MANDIR}\")
  set(ZARN_DOCDIR \"${ZARN_INSTALL_DOCDIR}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/install_manual.cmake\")")
install(TARGETS zarn RUNTIME DESTINATION "\${ZARN_INSTALLED_BINDIR}")
install(TARGETS Zarn504 LIBRARY DESTINATION ${ZARN_INSTALL_LIBRARYDIR})
install(FILES ${PROJECT_SOURCE_DIR}/engine/interface/zarn.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zarn)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
        DESTINATION ${ZARN_INSTALL_DOCDIR})

add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DZARN_MANIFEST=${PROJECT_BINARY_DIR}/install_manifest.txt
          -P ${PROJECT_SOURCE_DIR}/cmake/uninstall.cmake
  COMMENT "Removing the installed files"
  VERBATIM)
