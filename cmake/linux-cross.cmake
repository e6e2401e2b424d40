# Linux on another CPU with Debian's cross compilers (g++-<triplet>), tested
# under qemu's user-mode emulation. The presets set the cache variables:
#   TAVIK_LINUX_TRIPLET  the GNU triplet, e.g. aarch64-linux-gnu
#   TAVIK_QEMU           the emulator where it is not qemu-<the triplet's CPU>
#   TAVIK_QEMU_CPU       the CPU qemu models, where its default will not do
set(TAVIK_LINUX_TRIPLET "" CACHE STRING "GNU triplet of the target, as Debian's cross compilers name it")
set(TAVIK_QEMU "" CACHE STRING "qemu user-mode emulator that runs the tests; empty for qemu-<the triplet's CPU>")
set(TAVIK_QEMU_CPU "" CACHE STRING "CPU for qemu's -cpu option; empty for its default")
# Try-compile projects read this file again and need the same choice.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVIK_LINUX_TRIPLET TAVIK_QEMU TAVIK_QEMU_CPU)
if(NOT TAVIK_LINUX_TRIPLET)
  message(FATAL_ERROR "set TAVIK_LINUX_TRIPLET, or use one of the linux-* presets")
endif()

set(CMAKE_SYSTEM_NAME Linux)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR "${TAVIK_LINUX_TRIPLET}")
if(NOT TAVIK_QEMU)
  string(REPLACE powerpc ppc TAVIK_QEMU qemu-${CMAKE_SYSTEM_PROCESSOR})
endif()

set(CMAKE_C_COMPILER ${TAVIK_LINUX_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TAVIK_LINUX_TRIPLET}-g++)

# Appended, so that -DCMAKE_FIND_ROOT_PATH=<install prefix> finds an installed libtavik.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TAVIK_LINUX_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests run under qemu, with the cross C library.
set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVIK_QEMU})
if(TAVIK_QEMU_CPU)
  list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -cpu ${TAVIK_QEMU_CPU})
endif()
list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -L /usr/${TAVIK_LINUX_TRIPLET})
