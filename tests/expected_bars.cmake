# The two lines the test hosts draw: 1 of 2 (50 %) and 3 of 2 (150 %).
string(REPEAT "=" 20 cells_50)
string(REPEAT " " 20 blanks_50)
string(REPEAT "=" 60 cells_150)
set(bar_50 "[${cells_50}>${blanks_50}] 50%\r")
set(bar_150 "[${cells_150}>] 150%\r")
