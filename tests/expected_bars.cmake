# The two lines the test hosts draw: 1 of 2 (50 %) and 3 of 2 (150 %).
string(REPEAT "=" 20 cells_50)
string(REPEAT " " 20 blanks_50)
string(REPEAT "=" 60 cells_150)
set(bar_50 "[${cells_50}>${blanks_50}] 50%\r")
set(bar_150 "[${cells_150}>] 150%\r")

# Run as a script, it writes both lines into a file, for the shell checks:
#   cmake -DOUTPUT=expected -P tests/expected_bars.cmake
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  file(WRITE "${OUTPUT}" "${bar_50}${bar_150}")
endif()
