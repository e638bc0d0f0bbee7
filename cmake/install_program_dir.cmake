# zarn_install_program_dir(OUT PREFIX SETTING): the zarn program's directory below an install prefix.
# Below /usr it is games/, where Debian's chess engines have theirs (on every user's PATH, though not on
# root's); below any other prefix bin/ (/usr/local/bin, ~/.local/bin), where the PATH looks. A non-empty
# SETTING (the cache variable ZARN_INSTALL_PROGRAM_DIR) is taken as it is. Used when configuring and
# again when installing, since `cmake --install --prefix` may name another prefix than the configured one.
function(zarn_install_program_dir out prefix setting)
  string(REGEX REPLACE "(.)/+$" "\\1" prefix "${prefix}")
  if(NOT setting STREQUAL "")
    set(${out} "${setting}" PARENT_SCOPE)
  elseif(prefix STREQUAL "/usr")
    set(${out} games PARENT_SCOPE)
  else()
    set(${out} bin PARENT_SCOPE)
  endif()
endfunction()
