# Runs stdout_host in one mode and compares every byte of its stdout with the
# host's text and the two lines in the order the host wrote them:
#   cmake -DPROGRAM=stdout_host -DMODE=full|none|wide|bar-first [-DUTF16=ON]
#         [-DEMULATOR=wine-run] -P expect_host_output.cmake
# UTF16 says that wide text arrives as UTF-16LE (Windows' Unicode mode).
# EMULATOR is the cross-compiling emulator with "|" between its words.
cmake_minimum_required(VERSION 3.21)

string(REPLACE "|" ";" emulator "${EMULATOR}")
get_filename_component(output "${PROGRAM}.${MODE}.out" ABSOLUTE)
execute_process(COMMAND ${emulator} "${PROGRAM}" "${MODE}" OUTPUT_FILE "${output}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "stdout_host ${MODE} exited with ${status}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/expected_bars.cmake)
if(MODE STREQUAL "bar-first")
  set(text "${bar_50}B${bar_150}C")
else()
  set(text "A${bar_50}B${bar_150}C")
endif()
set(width "")
if(MODE STREQUAL "wide" AND UTF16)
  set(width UTF16)
endif()
expect_written("${output}" "stdout_host ${MODE}" "${text}" ${width})
message(STATUS "stdout_host ${MODE}: host text and bars arrived in order")
