# The Debian package, made from the build folder with `cpack -G DEB` (tools/install-deps --package
# installs what it needs). Configure with -DCMAKE_INSTALL_PREFIX=/usr: the program names its installed
# files, and cpack refuses any other prefix before it builds anything.
set(CPACK_PACKAGE_NAME zarn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zarn developers")
set(CPACK_PACKAGE_CONTACT "Zarn developers <dev@zarn.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chess engine speaking the UCI protocol")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The synopsis line is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zarn is a chess engine with a bitboard move generator, a static evaluation
with a pawn hash table and an iterative-deepening alpha-beta search with a
transposition table. The zarn program speaks the Universal Chess Interface
(UCI), so that UCI graphical interfaces can run it by name, and xboard
through polyglot. Its commands analyse positions from the command line and
measure the engine.
.
The package also holds the engine library libZarn504.so with its C header,
for programs that embed the engine.")

# Read by packaging/debian/check-prefix.cmake when cpack starts and by compress-docs.cmake once the
# files are staged.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/debian/check-prefix.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debian/compress-docs.cmake)
set(CPACK_ZARN_CONFIGURED_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_ZARN_MANDIR ${CMAKE_INSTALL_MANDIR})
set(CPACK_ZARN_DOCDIR ${ZARN_INSTALL_DOCDIR})
set(CPACK_ZARN_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)

include(CPack)
