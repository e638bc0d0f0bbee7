# Runs `zarn bench DEPTH` and checks that it succeeds and counts NODES nodes, the search's signature.
# Usage: cmake -DPROGRAM=<zarn> -DDEPTH=<plies> -DNODES=<count> -P bench_nodes.cmake
execute_process(COMMAND ${PROGRAM} bench ${DEPTH} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "zarn bench ${DEPTH} failed (${status}):\n${output}${errors}")
endif()
if(NOT output MATCHES "\nNodes searched: ([0-9]+)\n")
  message(FATAL_ERROR "zarn bench ${DEPTH} printed no node count:\n${output}${errors}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL NODES)
  message(FATAL_ERROR "zarn bench ${DEPTH} searched ${CMAKE_MATCH_1} nodes instead of ${NODES}:\n${output}")
endif()
message(STATUS "zarn bench ${DEPTH}: ${NODES} nodes")
