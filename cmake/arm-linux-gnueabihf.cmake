# 32-bit ARM Linux, hard-float (armhf), with Debian's g++-arm-linux-gnueabihf,
# tested under qemu-arm.
set(TAVIK_LINUX_TRIPLET arm-linux-gnueabihf)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(TAVIK_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
