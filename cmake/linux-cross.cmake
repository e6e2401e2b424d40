# Shared part of the Linux cross toolchains (Debian's cross compilers); include
# it after setting TAVIK_LINUX_TRIPLET, CMAKE_SYSTEM_PROCESSOR and TAVIK_QEMU.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${TAVIK_LINUX_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TAVIK_LINUX_TRIPLET}-g++)

# Appended, so that -DCMAKE_FIND_ROOT_PATH=<install prefix> finds an installed libtavik.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TAVIK_LINUX_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests run under qemu's user-mode emulation, with the cross C library.
set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVIK_QEMU} -L /usr/${TAVIK_LINUX_TRIPLET})
