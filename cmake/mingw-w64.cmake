# Shared part of the MinGW-w64 cross toolchains; include it after setting
# TAVIK_MINGW_TRIPLET, CMAKE_SYSTEM_PROCESSOR and TAVIK_WINE_ARCH.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model, because the tests use std::thread.
set(CMAKE_C_COMPILER ${TAVIK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVIK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVIK_MINGW_TRIPLET}-windres)

# Appended, so that -DCMAKE_FIND_ROOT_PATH=<install prefix> finds an installed libtavik.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TAVIK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the compiler's own run-time libraries statically, so that the DLL and
# the programs need only what every Windows has (KERNEL32 and the C run-time).
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)

# Tests run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ${TAVIK_WINE_ARCH})
