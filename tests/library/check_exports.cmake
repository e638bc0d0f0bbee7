# Compares the defined text symbols of the engine library's dynamic symbol table with the names of
# its export list. Run as: cmake -DNM=<nm> -DLIBRARY=<path> -DEXPORT_LIST=<exports.txt> -P check_exports.cmake
file(STRINGS ${EXPORT_LIST} expected REGEX "^[A-Za-z]")

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}: ${errors}")
endif()

# Lines look like "0000000000004b20 T ZarnAnalyse"; every defined symbol counts, text or not,
# except the linker's own absolute version-node markers.
string(REPLACE "\n" ";" lines "${listing}")
set(found)
set(text)
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *([A-Za-z]) (.+)$")
    set(type "${CMAKE_MATCH_1}")
    set(name "${CMAKE_MATCH_2}")
    string(REGEX REPLACE "@.*$" "" name "${name}")
    if(type STREQUAL "A")
      continue()
    endif()
    list(APPEND found "${name}")
    if(type STREQUAL "T")
      list(APPEND text "${name}")
    endif()
  endif()
endforeach()

list(SORT expected)
list(SORT found)
list(SORT text)
if(NOT found STREQUAL expected OR NOT text STREQUAL expected)
  message(FATAL_ERROR "exported symbols differ\n expected: ${expected}\n defined:  ${found}\n text:     ${text}")
endif()
list(LENGTH expected count)
message(STATUS "the library exports exactly the ${count} functions of its list")
