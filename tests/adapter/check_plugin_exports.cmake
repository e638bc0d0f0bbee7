# The plug-in's dynamic symbol table defines exactly the host's entry points and report functions of
# its export list. Run as: cmake -DNM=<nm> -DPLUGIN=<path to Zarn.eng> -DEXPORT_LIST=<exports.txt>
# -P check_plugin_exports.cmake
file(STRINGS ${EXPORT_LIST} expected REGEX "^[A-Za-z]")

execute_process(COMMAND ${NM} -D --defined-only ${PLUGIN}
  OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${PLUGIN}: ${errors}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(found)
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *([A-Za-z]) (.+)$" AND NOT CMAKE_MATCH_1 STREQUAL "A")
    string(REGEX REPLACE "@.*$" "" name "${CMAKE_MATCH_2}")
    list(APPEND found "${name}")
  endif()
endforeach()

list(SORT expected)
list(SORT found)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "plug-in symbols differ\n expected: ${expected}\n defined:  ${found}")
endif()
