# Builds a host written in another language, if it needs building, and runs
# it twice, its stdout in a file and then in a pipe: both times its own text
# and the bars must arrive in the order written.
#   cmake -DRUN=<command> [-DBUILD=<command>] [-DENVIRONMENT=<VAR=value>...] -P run_host.cmake
# Commands and the environment come as lists with | between the items.
cmake_minimum_required(VERSION 3.21)
include(${CMAKE_CURRENT_LIST_DIR}/../expected_bars.cmake)
set(expected "before:${bar_50}${bar_150}\nafter\n")
foreach(list RUN BUILD ENVIRONMENT)
  string(REPLACE "|" ";" ${list} "${${list}}")
endforeach()
set(env ${CMAKE_COMMAND} -E env ${ENVIRONMENT})

if(BUILD)
  execute_process(COMMAND ${env} ${BUILD} COMMAND_ECHO STDOUT COMMAND_ERROR_IS_FATAL ANY)
endif()

function(check how)
  expect_written(output "to ${how} the host" "${expected}")
  message(STATUS "to ${how}: its text and the bars in order")
endfunction()

execute_process(COMMAND ${env} ${RUN} OUTPUT_FILE output COMMAND_ERROR_IS_FATAL ANY)
check("a file")
execute_process(COMMAND ${env} ${RUN} COMMAND cat OUTPUT_FILE output COMMAND_ERROR_IS_FATAL ANY)
check("a pipe")
