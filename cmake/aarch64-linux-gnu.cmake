# 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu, tested under qemu-aarch64.
set(TAVIK_LINUX_TRIPLET aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(TAVIK_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
