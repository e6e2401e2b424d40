# 32-bit x86 Linux on an x86-64 machine: the native gcc with -m32 (Debian:
# g++-<its version>-multilib). The suite runs natively, or through qemu-i386 where the
# kernel runs no 32-bit code (scripts/i386-binfmt.sh registers it).
# -m32 is part of the compiler command, so that every check CMake makes,
# the pointer size among them, sees it whatever CFLAGS the builder sets.
set(CMAKE_C_COMPILER gcc -m32)
set(CMAKE_CXX_COMPILER g++ -m32)
# Debian's cross compilers conflict with g++-multilib, whose one file of its
# own is the /usr/include/asm link that -m32 builds include through; the same
# link, in the build folder.
set(tavik_m32_include ${CMAKE_BINARY_DIR}/m32-include)
if(NOT EXISTS ${tavik_m32_include}/asm)
  file(MAKE_DIRECTORY ${tavik_m32_include})
  file(CREATE_LINK /usr/include/x86_64-linux-gnu/asm ${tavik_m32_include}/asm SYMBOLIC)
endif()
set(CMAKE_C_FLAGS_INIT "-isystem${tavik_m32_include}")
set(CMAKE_CXX_FLAGS_INIT "-isystem${tavik_m32_include}")
