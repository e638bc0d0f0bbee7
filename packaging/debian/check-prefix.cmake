# Read by cpack before it builds or stages anything: the Debian package installs below /usr, and the
# program's `zarn help` names the configured paths, so the build must be configured for /usr.
if(NOT CPACK_ZARN_CONFIGURED_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian package needs a build configured with -DCMAKE_INSTALL_PREFIX=/usr "
                      "(the program names its installed files); this one has ${CPACK_ZARN_CONFIGURED_PREFIX}.")
endif()
