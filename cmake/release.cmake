# The release target (Windows builds): the plug-in and its engine library as they go into the host's
# engines directory, and the UCI program, in one folder and one zip archive:
#   release/Zarn-<version>-<arch>/engines/Zarn.eng
#   release/Zarn-<version>-<arch>/engines/Zarn.dll
#   release/Zarn-<version>-<arch>/zarn.exe
#   release/Zarn-<version>-<arch>.zip
# Build it with: cmake --build build-win32 --target release
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(ZARN_RELEASE_ARCH win32)
else()
  set(ZARN_RELEASE_ARCH win64)
endif()
set(ZARN_RELEASE_NAME Zarn-${PROJECT_VERSION}-${ZARN_RELEASE_ARCH})
set(ZARN_RELEASE_ROOT ${PROJECT_BINARY_DIR}/release)
set(ZARN_RELEASE_DIR ${ZARN_RELEASE_ROOT}/${ZARN_RELEASE_NAME})
file(MAKE_DIRECTORY ${ZARN_RELEASE_ROOT})

find_program(ZARN_ZIP zip)
if(ZARN_ZIP)
  set(archiveCommand ${ZARN_ZIP} -q -r -X ${ZARN_RELEASE_NAME}.zip ${ZARN_RELEASE_NAME})
else()
  set(archiveCommand ${CMAKE_COMMAND} -E tar cf ${ZARN_RELEASE_NAME}.zip --format=zip ${ZARN_RELEASE_NAME})
endif()

# The copies lose their symbol tables; the build tree keeps the originals for debugging.
set(stripCommand)
if(CMAKE_STRIP)
  set(stripCommand COMMAND ${CMAKE_STRIP} --strip-unneeded
      ${ZARN_RELEASE_DIR}/engines/Zarn.eng ${ZARN_RELEASE_DIR}/engines/Zarn.dll ${ZARN_RELEASE_DIR}/zarn.exe)
endif()

add_custom_target(release
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZARN_RELEASE_DIR} ${ZARN_RELEASE_DIR}.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZARN_RELEASE_DIR}/engines
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Zarn> ${ZARN_RELEASE_DIR}/engines/Zarn.eng
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Zarn504> ${ZARN_RELEASE_DIR}/engines/Zarn.dll
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:zarn> ${ZARN_RELEASE_DIR}/zarn.exe
  ${stripCommand}
  COMMAND ${archiveCommand}
  WORKING_DIRECTORY ${ZARN_RELEASE_ROOT}
  COMMENT "Assembling ${ZARN_RELEASE_NAME} and ${ZARN_RELEASE_NAME}.zip"
  VERBATIM)
add_dependencies(release Zarn Zarn504 zarn)
