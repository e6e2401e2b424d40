# The two lines the test hosts draw: 1 of 2 (50 %) and 3 of 2 (150 %).
string(REPEAT "=" 20 cells_50)
string(REPEAT " " 20 blanks_50)
string(REPEAT "=" 60 cells_150)
set(bar_50 "[${cells_50}>${blanks_50}] 50%\r")
set(bar_150 "[${cells_150}>] 150%\r")

# Fails unless <file> holds exactly <text>, byte for byte; UTF16 widens each
# byte, as Windows' Unicode mode writes wide text. Compared in hexadecimal:
# a CMake string cannot hold the zero bytes of UTF-16.
#   expect_written(<file> <who wrote it> <text> [UTF16])
function(expect_written file writer text)
  string(HEX "${text}" expected)
  if(ARGN STREQUAL "UTF16")
    string(REGEX REPLACE "(..)" "\\100" expected "${expected}")
  endif()
  file(READ "${file}" written HEX)
  if(NOT written STREQUAL expected)
    string(REPLACE "\r" "\\r" text "${text}")
    message(FATAL_ERROR "${writer} wrote, in hexadecimal,\n  ${written}\ninstead of\n  ${expected}\n"
                        "that is: \"${text}\"")
  endif()
endfunction()

# Run as a script, it writes both lines into a file, for the shell checks:
#   cmake -DOUTPUT=expected -P tests/expected_bars.cmake
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  file(WRITE "${OUTPUT}" "${bar_50}${bar_150}")
endif()
