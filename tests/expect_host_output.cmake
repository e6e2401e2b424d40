# Runs stdout_host in one mode and compares every byte of its stdout with the
# host's text and the two lines in the order the host wrote them:
#   cmake -DPROGRAM=stdout_host -DMODE=full|none|wide|bar-first [-DUTF16=ON]
#         [-DEMULATOR=wine-run|win64] -P expect_host_output.cmake
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
# Compared in hexadecimal: a CMake string cannot hold the zero bytes of UTF-16.
string(HEX "${text}" expected)
if(MODE STREQUAL "wide" AND UTF16)
  string(REGEX REPLACE "(..)" "\\100" expected "${expected}")
endif()
file(READ "${output}" written HEX)
if(NOT written STREQUAL expected)
  string(REPLACE "\r" "\\r" text "${text}")
  message(FATAL_ERROR "stdout_host ${MODE} wrote, in hexadecimal,\n  ${written}\ninstead of\n  ${expected}\n"
                      "that is: \"${text}\"")
endif()
message(STATUS "stdout_host ${MODE}: host text and bars arrived in order")
