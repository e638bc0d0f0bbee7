# Shared part of the mingw-w64 toolchain files; ZARN_MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)
if(ZARN_MINGW_TRIPLE MATCHES "^i686")
  set(CMAKE_SYSTEM_PROCESSOR x86)
else()
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
endif()

# The posix thread model gives std::thread (the zarn program and zarn-host use threads); its pthread
# library is linked statically like the rest of the runtime, so the programs import only system DLLs.
find_program(ZARN_MINGW_CXX NAMES ${ZARN_MINGW_TRIPLE}-g++-posix ${ZARN_MINGW_TRIPLE}-g++)
if(NOT ZARN_MINGW_CXX)
  message(FATAL_ERROR "${ZARN_MINGW_TRIPLE}-g++ not found: install g++-mingw-w64")
endif()
set(CMAKE_CXX_COMPILER ${ZARN_MINGW_CXX})
find_program(CMAKE_RC_COMPILER ${ZARN_MINGW_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ZARN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Nothing but system DLLs beside the deliverables: the C++ runtime, libgcc and winpthread go in statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The archiver and indexer that understand link-time optimisation objects (for -DZARN_LTO=ON).
find_program(CMAKE_CXX_COMPILER_AR NAMES ${ZARN_MINGW_TRIPLE}-gcc-ar-posix ${ZARN_MINGW_TRIPLE}-gcc-ar)
find_program(CMAKE_CXX_COMPILER_RANLIB NAMES ${ZARN_MINGW_TRIPLE}-gcc-ranlib-posix ${ZARN_MINGW_TRIPLE}-gcc-ranlib)
