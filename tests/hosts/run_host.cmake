# Builds a host written in another language, if it needs building, and runs
# it twice, its stdout in a file and then in a pipe: both times its own text
# and the bars must arrive in the order written.
#   cmake -DRUN=<command> [-DBUILD=<command>] [-DENVIRONMENT=<VAR=value|--unset=VAR>...]
#         [-DATTEMPTS=<n>] -P run_host.cmake
# Commands and the environment come as lists with | between the items. A run
# whose process dies of a segmentation fault is made again, up to ATTEMPTS
# times in all (1 unless given), for an emulator that crashes so at random: a
# fault in the host or the library is the emulated system's, an exit status.
cmake_minimum_required(VERSION 3.21)
include(${CMAKE_CURRENT_LIST_DIR}/../expected_bars.cmake)
set(expected "before:${bar_50}${bar_150}\nafter\n")
foreach(list RUN BUILD ENVIRONMENT)
  string(REPLACE "|" ";" ${list} "${${list}}")
endforeach()
# Set here rather than by `cmake -E env`, which would turn a signal into status 1.
foreach(setting IN LISTS ENVIRONMENT)
  if(setting MATCHES "^--unset=(.+)$")
    unset(ENV{${CMAKE_MATCH_1}})
  elseif(setting MATCHES "^([^=]+)=(.*)$")
    set(ENV{${CMAKE_MATCH_1}} "${CMAKE_MATCH_2}")
  endif()
endforeach()
if(NOT ATTEMPTS)
  set(ATTEMPTS 1)
endif()

if(BUILD)
  execute_process(COMMAND ${BUILD} COMMAND_ECHO STDOUT COMMAND_ERROR_IS_FATAL ANY)
endif()

# run(<how> [COMMAND <what reads the host's stdout>])
function(run how)
  foreach(attempt RANGE 1 ${ATTEMPTS})
    execute_process(COMMAND ${RUN} ${ARGN} OUTPUT_FILE output RESULTS_VARIABLE results)
    if(NOT results MATCHES "^Segmentation fault" OR attempt EQUAL ATTEMPTS)
      break()
    endif()
    message(STATUS "to ${how}: the host died of a segmentation fault, in attempt ${attempt}; running it again")
  endforeach()
  if(NOT results MATCHES "^0(;0)?$")
    message(FATAL_ERROR "to ${how}: the run ended with ${results}")
  endif()
  expect_written(output "to ${how} the host" "${expected}")
  message(STATUS "to ${how}: its text and the bars in order")
endfunction()

run("a file")
run("a pipe" COMMAND cat)
