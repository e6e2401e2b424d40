# The library allocates nothing: under valgrind, a host that draws a thousand
# bars makes as many heap allocations as one that draws one.
#   cmake -DVALGRIND=valgrind -DPROGRAM=progress_demo -P check_heap_allocations.cmake
cmake_minimum_required(VERSION 3.21)
foreach(steps 1 1000)
  execute_process(COMMAND "${VALGRIND}" "${PROGRAM}" ${steps} 0 OUTPUT_QUIET ERROR_VARIABLE report
                  COMMAND_ERROR_IS_FATAL ANY)
  if(NOT report MATCHES "total heap usage: ([0-9,]+) allocs")
    message(FATAL_ERROR "no heap summary from valgrind:\n${report}")
  endif()
  set(allocations_${steps} "${CMAKE_MATCH_1}")
endforeach()
message(STATUS "heap allocations: ${allocations_1} for 1 step, ${allocations_1000} for 1000 steps")
if(NOT allocations_1 STREQUAL allocations_1000)
  message(FATAL_ERROR "the calls allocate: ${allocations_1} allocations for 1 step, ${allocations_1000} for 1000")
endif()
