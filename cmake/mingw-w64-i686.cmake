# 32-bit Windows with Debian's MinGW-w64 cross compiler.
set(TAVIK_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
# SSE for every float of the build, not only the library's: x87 code in a
# test would quiet signalling NaNs and raise flags of its own while loading
# the arguments it passes.
set(TAVIK_MINGW_ARCH_FLAGS "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
