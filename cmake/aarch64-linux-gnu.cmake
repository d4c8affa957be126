# Cross build for 64-bit ARM Linux boards; tests run under qemu-user.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(KETRAV_CROSS_TRIPLET aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64;-L;/usr/aarch64-linux-gnu)
