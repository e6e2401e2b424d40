# The Python host of docs/languages.md, which shows all but this line.
import ctypes
import sys

# CDLL: the C calling convention, also on 32-bit Windows, where WinDLL's
# stdcall would leave 8 bytes on the stack at every call.
tavik = ctypes.CDLL("libtavik.dll" if sys.platform == "win32" else "libtavik.so.1")
tavik.print_progress_bar.argtypes = (ctypes.c_float, ctypes.c_float)
tavik.print_progress_bar.restype = None

print("before:", end="")
sys.stdout.flush()  # Python's own buffer first, or the bars overtake it
tavik.print_progress_bar(1, 2)
tavik.print_progress_bar(3, 2)
print()  # the last bar ends in "\r": end its line
print("after")
